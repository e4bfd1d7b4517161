#include "ui/ranking_dlg.h"

#include <QAction>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDir>
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
#include <utility>

#include "capture/fetch_run.h"
#include "capture/ranking_record.h"
#include "capture/text_cursor.h"
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

// Item data of a row: its code (column 0) and the market's bytes (column 2).
constexpr int kCodeRole = Qt::UserRole;
constexpr int kMarketRole = Qt::UserRole + 1;

// The file-error messages, %1 being the file's full path.
constexpr const char* kDiskFull = "%1 へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。";
constexpr const char* kUnknownError = "%1 へのｱｸｾｽ中に不明なｴﾗｰが発生しました。";

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
                auto* list = static_cast<ui::ReportList*>(control);
                // A press is judged once it has been applied in full.
                list->inputHook = [this](bool begin) {
                    heldStateChanges_ += begin ? 1 : -1;
                    if (!begin) ReportRowStates();
                };
                QItemSelectionModel* selection = list->selectionModel();
                connect(selection, &QItemSelectionModel::selectionChanged, this,
                        [this] { ReportRowStates(); });
                connect(selection, &QItemSelectionModel::currentRowChanged, this,
                        [this] { ReportRowStates(); });
                break;
            }
            default:
                break;
        }
    }
}

// Reports each row whose selected or focused state differs from the last
// report, in row order with the focused row last, so that the code box ends on
// the row the user went to.
void CRankingDlg::ReportRowStates() {
    if (heldStateChanges_ > 0 || !m_list) return;
    const QItemSelectionModel* selection = m_list->selectionModel();
    const int rows = m_list->rowCount();
    const int current = m_list->currentRow();
    std::vector<unsigned> states(static_cast<std::size_t>(rows));
    for (int row = 0; row < rows; ++row) {
        states[static_cast<std::size_t>(row)] =
            (selection->isRowSelected(row, QModelIndex()) ? kItemSelected : 0) |
            (row == current ? kItemFocused : 0);
    }
    std::vector<unsigned> before = std::exchange(rowStates_, states);
    before.resize(states.size(), 0);  // appended rows start with no state
    for (int row = 0; row < rows; ++row) {
        const std::size_t i = static_cast<std::size_t>(row);
        if (row != current) NotifyItemChanged(row, states[i], before[i]);
    }
    if (current >= 0 && current < rows) {
        const std::size_t i = static_cast<std::size_t>(current);
        NotifyItemChanged(current, states[i], before[i]);
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

CRankingDlg::~CRankingDlg() {
    // The controls outlive this part of the window: they report to it no more.
    if (auto* list = dynamic_cast<ui::ReportList*>(m_list)) {
        list->inputHook = nullptr;
        list->selectionModel()->disconnect(this);
    }
}

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
    if (m_list && watched == m_list->viewport() && e->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
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
    const unsigned command = id & ~0xFu;  // the low four bits are the window system's
    if (command == IDM_ABOUTBOX) {
        CAboutDlg about(this);
        runAbout_(about);
        return;
    }
    if (command == kSysCommandClose) close();
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

void CRankingDlg::OnFetch() {
    const std::string name = ToCp932(FileNameBoxText());
    const int oldMinimum = m_progress->minimum();
    const int oldMaximum = m_progress->maximum();
    const int oldValue = m_progress->value();
    m_fetch->setEnabled(false);
    m_progress->setRange(0, 200);

    BeginLongHandler();
    bool opened = false;
    bool failed = false;
    try {
        opened = RunCapture(name, RankingSearchAddress(hosts_.ranking), [this](int position) {
            m_progress->setValue(position);
            // Let the bar and the window paint; input waits until the run is over.
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
    } catch (const platform::FileError& error) {
        // The run stopped at a failed write: Fetch stays disabled, the bar where it was.
        failed = true;
        ShowFileError(error);
    }
    if (!failed) {
        if (opened) {
            m_fetch->setEnabled(true);
            OnChangeFileName();
        } else {
            // Nothing was fetched: say so and leave the window as it was.
            m_progress->setRange(oldMinimum, oldMaximum);
            m_progress->setValue(oldValue);
            m_fetch->setEnabled(true);
            ShowMessage(kUnknownError,
                        QDir::cleanPath(QDir::current().absoluteFilePath(FileNameBoxText())));
        }
    }
    EndLongHandler();
}

void CRankingDlg::BeginLongHandler() { running_ = true; }

void CRankingDlg::EndLongHandler() {
    running_ = false;
    if (endPending_) {
        endPending_ = false;
        QDialog::done(pendingResult_);
    }
}

void CRankingDlg::OnOpen() {
    const std::string name = ToCp932(FileNameBoxText());
    platform::TextFile file;
    const bool opened = file.Open(name, platform::TextFile::Mode::kRead);
    // Rows that go away change no one's selection: the code box keeps its text.
    ++heldStateChanges_;
    m_list->setRowCount(0);
    rowStates_.clear();
    --heldStateChanges_;
    if (!opened) return;  // a folder or a file someone else holds: an empty list
    try {
        std::string line;
        while (file.ReadLine(line)) AddListRow(line);
        file.Close();
    } catch (const platform::FileError& error) {
        ShowFileError(error);
    }
}

void CRankingDlg::SetCell(int row, int column, std::string_view text) {
    auto* item = new QTableWidgetItem(FromCp932(text));
    item->setTextAlignment(kColumns[static_cast<std::size_t>(column)].alignment | Qt::AlignVCenter);
    m_list->setItem(row, column, item);
}

void CRankingDlg::AddListRow(std::string line) {
    const int row = m_list->rowCount();
    const std::vector<std::string> fields = SplitFields(line);
    // A short line shows its missing fields as empty columns.
    auto field = [&fields](std::size_t i) -> std::string_view {
        return i < fields.size() ? std::string_view(fields[i]) : std::string_view();
    };
    m_list->insertRow(row);
    SetCell(row, 0, field(0));
    const int32_t code = DecimalValue(field(1));
    SetCell(row, 1, field(1));
    SetCell(row, 2, field(2));
    SetCell(row, 3, field(3));
    SetCell(row, 4, field(4));
    SetCell(row, 5, field(6));
    SetCell(row, 7, field(7));
    SetCell(row, 8, "0");
    m_list->item(row, 0)->setData(kCodeRole, code);
    // The market's own bytes name the history file, whatever the display makes of them.
    m_list->item(row, 2)->setData(kMarketRole, QByteArray(field(2).data(), field(2).size()));
    const int count = CountHistoryLines(code, field(2));
    SetCell(row, 6, std::to_string(count));
}

int CRankingDlg::RowItemData(int row) const {
    const QTableWidgetItem* item = m_list ? m_list->item(row, 0) : nullptr;
    return item ? item->data(kCodeRole).toInt() : 0;
}

void CRankingDlg::OnItemchangedList(const ListNotification& notification, long* result) {
    if (result) *result = 0;
    if ((notification.changed & kChangedState) == 0) return;
    if ((notification.newState & kItemSelected) == 0) return;
    const QTableWidgetItem* item = m_list->item(notification.item, 0);
    if (!item) return;
    char text[16];
    std::snprintf(text, sizeof text, "%04d", item->data(kCodeRole).toInt());
    m_code->setText(QString::fromLatin1(text));
}

void CRankingDlg::OnChart() {
    shellOpen_(hosts_.quote + "/q?s=" + CodeBoxText() + "&d=c&k=c4&z=m&t=1d");
}

void CRankingDlg::OnDetail() { shellOpen_(hosts_.quote + "/q?s=" + CodeBoxText() + "&d=t"); }

void CRankingDlg::OnTimeSeries() {
    const std::string code = CodeBoxText();
    const platform::LocalTime now = platform::Now();
    int earlierMonth = now.month - 3;
    int earlierYear = now.year;
    if (earlierMonth < 1) {
        earlierMonth += 12;
        earlierYear -= 1;
    }
    char numbers[128];
    std::snprintf(numbers, sizeof numbers, "/t?c=%d&a=%d&b=%d&f=%d&d=%d&e=%d&g=d&s=", now.year,
                  earlierMonth, 1, earlierYear, now.month, now.day);
    shellOpen_(hosts_.price + numbers + code + "&y=0&z=");
}

void CRankingDlg::OnOpenHistory() {
    // The focused row counts, and only while it is selected.
    const int row = m_list->currentRow();
    if (row < 0 || !m_list->selectionModel()->isRowSelected(row, QModelIndex())) return;
    const QTableWidgetItem* codeItem = m_list->item(row, 0);
    const QTableWidgetItem* marketItem = m_list->item(row, 2);
    if (!codeItem || !marketItem) return;
    const QByteArray market = marketItem->data(kMarketRole).toByteArray();
    shellOpen_(HistoryFileName(codeItem->data(kCodeRole).toInt(),
                               std::string_view(market.constData(), market.size())));
}

void CRankingDlg::OnDblclkList(const ListNotification& notification, long* result) {
    if (notification.item != -1) OnOpenHistory();
    if (result) *result = 0;
}

void CRankingDlg::ShowMessage(const char* format, const QString& path) {
    const QString caption = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    fileErrorBox_(caption, QString::fromUtf8(format).arg(path));
}

void CRankingDlg::ShowFileError(const platform::FileError& error) {
    const char* format =
        error.cause() == platform::FileError::Cause::kDiskFull ? kDiskFull : kUnknownError;
    ShowMessage(format, FromCp932(error.fullPath()));
}
