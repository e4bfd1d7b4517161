// The main window: file-name box with Fetch and Open, the progress bar, the
// code box with the four stock buttons, and the list of a loaded daily file.
#pragma once

#include <QDialog>
#include <QIcon>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "ui/dialog_template.h"

class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QTableWidget;
class CAboutDlg;
class CRankingDlg;
namespace platform {
class FileError;
}

// Hosts of the three web services, "http://host[:port]" each.
struct ServiceHosts {
    std::string ranking;
    std::string quote;
    std::string price;

    // The hosts compiled into the program.
    static ServiceHosts Compiled();
};

// What the list reports about one row: its index (-1 for none) and its item
// states before and after the change.
struct ListNotification {
    int item = -1;
    unsigned newState = 0;
    unsigned oldState = 0;
    unsigned changed = 0;
};
inline constexpr unsigned kItemFocused = 0x1;
inline constexpr unsigned kItemSelected = 0x2;
inline constexpr unsigned kChangedState = 0x8;  // in `changed`: the states changed

// Window-menu commands handled by the default handling of OnSysCommand.
inline constexpr unsigned kSysCommandClose = 0xF060;

enum class DialogEvent {
    kSysCommand,
    kPaint,
    kQueryDragIcon,
    kClicked,      // push button pressed
    kDoubleClick,  // list double-clicked
    kTextChange,   // edit box text changed
    kSize,         // window resized
    kItemChanged,  // list row state changed
};

// Identifier of the window itself as the source of an event.
inline constexpr int kThisWindow = 0;

// Everything an event can carry; each handler takes what it needs.
struct EventArgs {
    unsigned command = 0;
    long param = 0;
    int sizeType = 0;  // 0 restored, 1 minimised, 2 maximised
    int cx = 0;
    int cy = 0;
    const ListNotification* notification = nullptr;
    long* result = nullptr;
    QIcon* icon = nullptr;
};

struct EventEntry {
    DialogEvent event;
    int controlId;
    const char* handler;
    void (*invoke)(CRankingDlg& dlg, EventArgs& args);
};

// "%Y%m%d" + "am"/"pm" + ".csv"; "pm" from 13:00.
std::string DefaultDailyFileName(const platform::LocalTime& time);

// Where a minimised window draws its icon: centred, halves rounded up.
QPoint MinimizedIconOrigin(QSize client, QSize icon);

// The list's new rectangle after a resize to cx x cy: left and top kept,
// 24 pixels less wide than the client area, bottom 12 pixels above its
// bottom, never negative.
QRect ListGeometryAfterResize(QRect list, int cx, int cy);

class CRankingDlg : public QDialog {
  public:
    using ShellOpenFn = std::function<void(std::string_view target)>;
    using MessageBoxFn = std::function<void(const QString& caption, const QString& text)>;
    using ModalRunFn = std::function<void(CAboutDlg& about)>;

    explicit CRankingDlg(ServiceHosts hosts = ServiceHosts::Compiled());
    ~CRankingDlg() override;

    // The event table: thirteen rows, each binding one event of the window or
    // of a control to its handler.
    static const std::array<EventEntry, 13>& EventTable();

    // Runs the handler of the first row for this event and source; false
    // when no row matches (default handling applies).
    bool Dispatch(DialogEvent event, int controlId, EventArgs& args);

    // Shows the window modally until it ends; returns how it ended (1 OK, 0 cancel).
    int DoModal();

    // Replaceable platform actions (tests record them instead).
    void SetShellOpen(ShellOpenFn open) { shellOpen_ = std::move(open); }
    void SetFileErrorBox(MessageBoxFn box) { fileErrorBox_ = std::move(box); }
    void SetAboutRunner(ModalRunFn run) { runAbout_ = std::move(run); }

    // The window's own menu (Alt+Space, right-click on the background).
    QMenu* SystemMenu() const { return systemMenu_; }
    void PopUpSystemMenu(QPoint globalPos);

    // The control of a template identifier.
    QWidget* Control(int id) const { return ui::ControlById(controls_, id); }
    const ServiceHosts& Hosts() const { return hosts_; }

    // Event handlers.
    virtual void OnSysCommand(unsigned id, long param);
    virtual void OnPaint();
    virtual QIcon OnQueryDragIcon();
    virtual void OnFetch();
    virtual void OnOpen();
    virtual void OnDblclkList(const ListNotification& notification, long* result);
    virtual void OnChangeFileName();
    virtual void OnSize(int type, int cx, int cy);
    virtual void OnChart();
    virtual void OnDetail();
    virtual void OnOpenHistory();
    virtual void OnItemchangedList(const ListNotification& notification, long* result);
    virtual void OnTimeSeries();

    // Appends one row for a record line of a daily file.
    void AddListRow(std::string line);

    // The item data of a list row: its stock code.
    int RowItemData(int row) const;

    void done(int result) override;

  protected:
    virtual bool OnInitDialog();
    virtual void DoDataExchange();

    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    void ConnectEvents();
    void ReportRowStates();
    void NotifyItemChanged(int row, unsigned newState, unsigned oldState);
    void ShowFileError(const platform::FileError& error);
    void ShowMessage(const char* format, const QString& path);
    void SetCell(int row, int column, std::string_view text);
    // A long handler holds a request to end the window until it has finished.
    void BeginLongHandler();
    void EndLongHandler();
    QString FileNameBoxText() const;
    std::string CodeBoxText() const;  // code page 932

    ServiceHosts hosts_;
    ShellOpenFn shellOpen_;
    MessageBoxFn fileErrorBox_;
    ModalRunFn runAbout_;
    std::vector<ui::BuiltControl> controls_;
    QMenu* systemMenu_ = nullptr;
    bool initialized_ = false;
    bool running_ = false;             // a long handler is under way
    bool endPending_ = false;          // the window was asked to end during it
    int heldStateChanges_ = 0;         // row states are not reported while above 0
    std::vector<unsigned> rowStates_;  // each row's states as last reported
    int pendingResult_ = 0;

    // Controls bound by DoDataExchange.
    QLineEdit* m_code = nullptr;
    QPushButton* m_open = nullptr;
    QTableWidget* m_list = nullptr;
    QPushButton* m_fetch = nullptr;
    QProgressBar* m_progress = nullptr;
    QLineEdit* m_fileName = nullptr;
    QIcon m_hIcon;
};
