#include "ui/ranking_dlg.h"

#include <QAction>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QShortcut>
#include <QStyle>
#include <QTableWidget>
#include <algorithm>
#include <cstdio>
#include <set>

#include "platform/mbcs.h"
#include "platform/shell_open.h"
#include "platform/text_file.h"
#include "res/resource.h"
#include "res/templates.h"
#include "ui/about_dlg.h"

#ifndef RANKELLE_RANKING_HOST
#define RANKELLE_RANKING_HOST "http://ranking.example.invalid"
#endif
#ifndef RANKELLE_QUOTE_HOST
#define RANKELLE_QUOTE_HOST "http://quote.example.invalid"
#endif
#ifndef RANKELLE_PRICE_HOST
#define RANKELLE_PRICE_HOST "http://price.example.invalid"
#endif

namespace {

struct ListColumn {
    const char* heading;
    Qt::Alignment alignment;
    int width;
};

constexpr std::array<ListColumn, 9> kColumns = {{
    {"#", Qt::AlignLeft, 25},
    {"コード", Qt::AlignLeft, 45},
    {"市場", Qt::AlignLeft, 100},
    {"銘柄名", Qt::AlignLeft, 140},
    {"価格", Qt::AlignRight, 60},
    {"上昇率", Qt::AlignRight, 60},
    {"レコード数", Qt::AlignRight, 60},
    {"取引数", Qt::AlignRight, 60},
    {"チェック", Qt::AlignLeft, 60},
}};

QString FromCp932(std::string_view text) { return QString::fromUtf8(platform::ToUtf8(text)); }

std::string ToCp932(const QString& text) { return platform::FromUtf8(text.toUtf8().toStdString()); }

}  // namespace

ServiceHosts ServiceHosts::Compiled() {
    return ServiceHosts{RANKELLE_RANKING_HOST, RANKELLE_QUOTE_HOST, RANKELLE_PRICE_HOST};
}

std::string DefaultDailyFileName(const platform::LocalTime& time) {
    char name[64];
    std::snprintf(name, sizeof name, "%04d%02d%02d%s.csv", time.year, time.month, time.day,
                  time.hour >= 13 ? "pm" : "am");
    return name;
}

QPoint MinimizedIconOrigin(QSize client, QSize icon) {
    return QPoint((client.width() - icon.width() + 1) / 2,
                  (client.height() - icon.height() + 1) / 2);
}

QRect ListGeometryAfterResize(QRect list, int cx, int cy) {
    const int width = std::max(0, cx - 24);
    const int height = std::max(0, cy - 12 - list.top());
    return QRect(list.left(), list.top(), width, height);
}

// ---------------------------------------------------------------------------
// Event table

const std::array<EventEntry, 13>& CRankingDlg::EventTable() {
    static const std::array<EventEntry, 13> table = {{
        {DialogEvent::kSysCommand, kThisWindow, "OnSysCommand",
         [](CRankingDlg& d, EventArgs& a) { d.OnSysCommand(a.command, a.param); }},
        {DialogEvent::kPaint, kThisWindow, "OnPaint",
         [](CRankingDlg& d, EventArgs&) { d.OnPaint(); }},
        {DialogEvent::kQueryDragIcon, kThisWindow, "OnQueryDragIcon",
         [](CRankingDlg& d, EventArgs& a) {
             const QIcon icon = d.OnQueryDragIcon();
             if (a.icon) *a.icon = icon;
         }},
        {DialogEvent::kClicked, IDC_FETCH, "OnFetch",
         [](CRankingDlg& d, EventArgs&) { d.OnFetch(); }},
        {DialogEvent::kClicked, IDC_OPEN, "OnOpen", [](CRankingDlg& d, EventArgs&) { d.OnOpen(); }},
        {DialogEvent::kDoubleClick, IDC_LIST, "OnDblclkList",
         [](CRankingDlg& d, EventArgs& a) { d.OnDblclkList(*a.notification, a.result); }},
        {DialogEvent::kTextChange, IDC_FILENAME, "OnChangeFileName",
         [](CRankingDlg& d, EventArgs&) { d.OnChangeFileName(); }},
        {DialogEvent::kSize, kThisWindow, "OnSize",
         [](CRankingDlg& d, EventArgs& a) { d.OnSize(a.sizeType, a.cx, a.cy); }},
        {DialogEvent::kClicked, IDC_CHART, "OnChart",
         [](CRankingDlg& d, EventArgs&) { d.OnChart(); }},
        {DialogEvent::kClicked, IDC_DETAIL, "OnDetail",
         [](CRankingDlg& d, EventArgs&) { d.OnDetail(); }},
        {DialogEvent::kClicked, IDC_HISTORY, "OnOpenHistory",
         [](CRankingDlg& d, EventArgs&) { d.OnOpenHistory(); }},
        {DialogEvent::kItemChanged, IDC_LIST, "OnItemchangedList",
         [](CRankingDlg& d, EventArgs& a) { d.OnItemchangedList(*a.notification, a.result); }},
        {DialogEvent::kClicked, IDC_TIMESERIES, "OnTimeSeries",
         [](CRankingDlg& d, EventArgs&) { d.OnTimeSeries(); }},
    }};
    return table;
}

bool CRankingDlg::Dispatch(DialogEvent event, int controlId, EventArgs& args) {
    for (const EventEntry& entry : EventTable()) {
        if (entry.event == event && entry.controlId == controlId) {
            entry.invoke(*this, args);
            return true;
        }
    }
    return false;
}

// Turns the controls' signals into events of the table.
void CRankingDlg::ConnectEvents() {
    for (const EventEntry& entry : EventTable()) {
        if (entry.controlId == kThisWindow) continue;
        QWidget* control = Control(entry.controlId);
        const int id = entry.controlId;
        switch (entry.event) {
            case DialogEvent::kClicked:
                connect(static_cast<QPushButton*>(control), &QPushButton::clicked, this,
                        [this, id] {
                            EventArgs args;
                            Dispatch(DialogEvent::kClicked, id, args);
                        });
                break;
            case DialogEvent::kTextChange:
                // textChanged also fires for a text set by the program, as the
                // start-up's file-name step expects.
                connect(static_cast<QLineEdit*>(control), &QLineEdit::textChanged, this,
                        [this, id] {
                            EventArgs args;
                            Dispatch(DialogEvent::kTextChange, id, args);
                        });
                break;
            case DialogEvent::kDoubleClick:
                static_cast<QTableWidget*>(control)->viewport()->installEventFilter(this);
                break;
            case DialogEvent::kItemChanged: {
                auto* list = static_cast<QTableWidget*>(control);
                QItemSelectionModel* selection = list->selectionModel();
                connect(
                    selection, &QItemSelectionModel::selectionChanged, this,
                    [this, list](const QItemSelection& selected, const QItemSelection& deselected) {
                        std::set<int> gained;
                        std::set<int> lost;
                        for (const QModelIndex& i : selected.indexes()) gained.insert(i.row());
                        for (const QModelIndex& i : deselected.indexes()) lost.insert(i.row());
                        const int current = list->currentRow();
                        for (int row : lost) {
                            if (gained.count(row)) continue;
                            const unsigned focus = row == current ? kItemFocused : 0;
                            NotifyItemChanged(row, focus, focus | kItemSelected);
                        }
                        for (int row : gained) {
                            if (lost.count(row)) continue;
                            const unsigned focus = row == current ? kItemFocused : 0;
                            NotifyItemChanged(row, focus | kItemSelected, focus);
                        }
                    });
                connect(selection, &QItemSelectionModel::currentRowChanged, this,
                        [this, list](const QModelIndex& current, const QModelIndex& previous) {
                            QItemSelectionModel* model = list->selectionModel();
                            if (previous.isValid()) {
                                const unsigned sel =
                                    model->isRowSelected(previous.row()) ? kItemSelected : 0;
                                NotifyItemChanged(previous.row(), sel, sel | kItemFocused);
                            }
                            if (current.isValid()) {
                                const unsigned sel =
                                    model->isRowSelected(current.row()) ? kItemSelected : 0;
                                NotifyItemChanged(current.row(), sel | kItemFocused, sel);
                            }
                        });
                break;
            }
            default:
                break;
        }
    }
}

void CRankingDlg::NotifyItemChanged(int row, unsigned newState, unsigned oldState) {
    if (newState == oldState) return;
    ListNotification notification;
    notification.item = row;
    notification.newState = newState;
    notification.oldState = oldState;
    notification.changed = kChangedState;
    long result = -1;
    EventArgs args;
    args.notification = &notification;
    args.result = &result;
    Dispatch(DialogEvent::kItemChanged, IDC_LIST, args);
}

// ---------------------------------------------------------------------------
// Construction and start-up

CRankingDlg::CRankingDlg(ServiceHosts hosts)
    : QDialog(nullptr),
      hosts_(std::move(hosts)),
      shellOpen_([](std::string_view target) { platform::ShellOpen(target); }),
      runAbout_([](CAboutDlg& about) { about.exec(); }) {
    fileErrorBox_ = [this](const QString& caption, const QString& text) {
        QMessageBox::critical(this, caption, text);
    };
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    m_hIcon = ui::ProgramIcon();
    controls_ = ui::BuildDialog(this, res::MainTemplate(), m_hIcon);

    systemMenu_ = new QMenu(this);
    QAction* close = systemMenu_->addAction(QStringLiteral("閉じる(&C)"));
    connect(close, &QAction::triggered, this, [this] {
        EventArgs args;
        args.command = kSysCommandClose;
        Dispatch(DialogEvent::kSysCommand, kThisWindow, args);
    });
    auto* menuKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
    connect(menuKey, &QShortcut::activated, this,
            [this] { PopUpSystemMenu(mapToGlobal(QPoint(0, 0))); });
}

CRankingDlg::~CRankingDlg() = default;

int CRankingDlg::DoModal() { return exec(); }

void CRankingDlg::DoDataExchange() {
    m_code = static_cast<QLineEdit*>(Control(IDC_CODE));
    m_open = static_cast<QPushButton*>(Control(IDC_OPEN));
    m_list = static_cast<QTableWidget*>(Control(IDC_LIST));
    m_fetch = static_cast<QPushButton*>(Control(IDC_FETCH));
    m_progress = static_cast<QProgressBar*>(Control(IDC_PROGRESS));
    m_fileName = static_cast<QLineEdit*>(Control(IDC_FILENAME));
}

bool CRankingDlg::OnInitDialog() {
    DoDataExchange();
    ConnectEvents();

    // The window menu gets the About item.
    const std::string_view about = res::LoadString(IDS_ABOUTBOX);
    if (systemMenu_ && !about.empty()) {
        systemMenu_->addSeparator();
        QAction* item = systemMenu_->addAction(QString::fromUtf8(about.data(), about.size()));
        connect(item, &QAction::triggered, this, [this] {
            EventArgs args;
            args.command = IDM_ABOUTBOX;
            Dispatch(DialogEvent::kSysCommand, kThisWindow, args);
        });
    }

    setWindowIcon(m_hIcon);

    // Default daily file name; setting it runs OnChangeFileName at once.
    const platform::LocalTime now = platform::Now();
    const std::string name = DefaultDailyFileName(now);
    m_fileName->setText(FromCp932(name));
    if (platform::NameExists(name)) {
        m_fetch->setEnabled(false);
        m_open->setEnabled(true);
    }

    m_list->setColumnCount(static_cast<int>(kColumns.size()));
    for (int i = 0; i < static_cast<int>(kColumns.size()); ++i) {
        auto* header = new QTableWidgetItem(QString::fromUtf8(kColumns[i].heading));
        header->setTextAlignment(kColumns[i].alignment | Qt::AlignVCenter);
        m_list->setHorizontalHeaderItem(i, header);
        m_list->setColumnWidth(i, kColumns[i].width);
    }
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 4);

    // Grid lines and whole-row selection.
    m_list->setShowGrid(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);

    // The focus starts on the first tab stop.
    m_fileName->setFocus();
    return true;
}

void CRankingDlg::showEvent(QShowEvent* e) {
    if (!initialized_) {
        initialized_ = true;
        OnInitDialog();
    }
    QDialog::showEvent(e);
}

// ---------------------------------------------------------------------------
// Window events

bool CRankingDlg::event(QEvent* e) { return QDialog::event(e); }

void CRankingDlg::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    EventArgs args;
    args.sizeType = isMinimized() ? 1 : (isMaximized() ? 2 : 0);
    args.cx = e->size().width();
    args.cy = e->size().height();
    Dispatch(DialogEvent::kSize, kThisWindow, args);
}

void CRankingDlg::paintEvent(QPaintEvent*) {
    EventArgs args;
    Dispatch(DialogEvent::kPaint, kThisWindow, args);
}

void CRankingDlg::keyPressEvent(QKeyEvent* e) {
    const bool plain = e->modifiers() == Qt::NoModifier ||
                       (e->modifiers() == Qt::KeypadModifier && e->key() == Qt::Key_Enter);
    if (plain && (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)) {
        // Enter presses the focused push button; anywhere else it ends the window.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget());
            button && button->isEnabled()) {
            button->click();
        } else {
            done(IDOK);
        }
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);  // Escape ends the window
}

void CRankingDlg::closeEvent(QCloseEvent* e) {
    if (running_) {
        endPending_ = true;
        pendingResult_ = QDialog::Rejected;
        e->ignore();
        return;
    }
    QDialog::closeEvent(e);
}

void CRankingDlg::done(int result) {
    if (running_) {
        // A long handler is under way: end once it has finished.
        endPending_ = true;
        pendingResult_ = result;
        return;
    }
    QDialog::done(result);
}

void CRankingDlg::contextMenuEvent(QContextMenuEvent* e) {
    PopUpSystemMenu(e->globalPos());
    e->accept();
}

void CRankingDlg::PopUpSystemMenu(QPoint globalPos) {
    if (systemMenu_) systemMenu_->popup(globalPos);
}

bool CRankingDlg::eventFilter(QObject* watched, QEvent* e) {
    if (m_list && watched == m_list->viewport() && e->type() == QEvent::MouseButtonDblClick) {
        const auto* mouse = static_cast<QMouseEvent*>(e);
        ListNotification notification;
        const QModelIndex index = m_list->indexAt(mouse->position().toPoint());
        notification.item = index.isValid() ? index.row() : -1;
        long result = -1;
        EventArgs args;
        args.notification = &notification;
        args.result = &result;
        Dispatch(DialogEvent::kDoubleClick, IDC_LIST, args);
    }
    return QDialog::eventFilter(watched, e);
}

// ---------------------------------------------------------------------------
// Handlers of the window

void CRankingDlg::OnSysCommand(unsigned id, long) {
    if ((id & 0xFFF0u) == IDM_ABOUTBOX) {
        CAboutDlg about(this);
        runAbout_(about);
        return;
    }
    if ((id & 0xFFF0u) == kSysCommandClose) close();
}

void CRankingDlg::OnPaint() {
    if (!isMinimized()) return;  // the widgets paint themselves
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    const int side = style()->pixelMetric(QStyle::PM_LargeIconSize);
    const QPoint at = MinimizedIconOrigin(size(), QSize(side, side));
    m_hIcon.paint(&painter, QRect(at, QSize(side, side)));
}

QIcon CRankingDlg::OnQueryDragIcon() { return m_hIcon; }

void CRankingDlg::OnSize(int, int cx, int cy) {
    if (!m_list) return;
    m_list->setGeometry(ListGeometryAfterResize(m_list->geometry(), cx, cy));
}

// ---------------------------------------------------------------------------
// File name and command availability

QString CRankingDlg::FileNameBoxText() const { return m_fileName ? m_fileName->text() : QString(); }

std::string CRankingDlg::CodeBoxText() const {
    return m_code ? ToCp932(m_code->text()) : std::string();
}

void CRankingDlg::OnChangeFileName() {
    if (platform::NameExists(ToCp932(FileNameBoxText()))) {
        m_fetch->setEnabled(false);
        m_open->setEnabled(true);
        m_open->setFocus();
    } else {
        m_open->setEnabled(false);
    }
}

// ---------------------------------------------------------------------------
// Capture, load and stock actions

void CRankingDlg::OnFetch() {}

void CRankingDlg::OnOpen() {}

void CRankingDlg::AddListRow(std::string) {}

void CRankingDlg::OnDblclkList(const ListNotification&, long* result) {
    if (result) *result = 0;
}

void CRankingDlg::OnItemchangedList(const ListNotification&, long* result) {
    if (result) *result = 0;
}

void CRankingDlg::OnChart() {}
void CRankingDlg::OnDetail() {}
void CRankingDlg::OnOpenHistory() {}
void CRankingDlg::OnTimeSeries() {}

void CRankingDlg::ShowFileError(const platform::FileError&) {}
