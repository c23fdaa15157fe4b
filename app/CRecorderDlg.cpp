#include "app/CRecorderDlg.h"

#include "app/AccessibleNames.h"
#include "app/ApplicationIcon.h"
#include "app/CAboutDlg.h"
#include "app/CommandKeys.h"
#include "player/MediaError.h"
#include "pane/PlayerControlBar.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCloseEvent>
#include <QEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

namespace {
constexpr int kEditStartId = 1002;
constexpr int kEditEndId = 1003;
constexpr int kRecordPathId = 1031;
constexpr int kExitButtonId = 1028;
constexpr int kAboutButtonId = 1036;
}

CRecorderDlg::CRecorderDlg(const DialogServices& services, QWidget* parent)
    : QDialog(parent),
      m_recorder(services.makeRecorderBackend()),
      m_player(services.makePlayerEngine(), services.mediaReaders),
      m_services(services),
      m_appTitle(ApplicationTitle(services.executablePath))
{
    const DialogTemplate& tmpl = MainDialogTemplate();
    ApplyDialogFrame(this, tmpl);
    m_player.UseDrill(services.makeDrill);
    m_controls = BuildControls(this, tmpl, &m_player, m_hIcon);
    m_editMediaPath = static_cast<QLineEdit*>(GetDlgItem(1001));
    m_listPausePoints = static_cast<QListWidget*>(GetDlgItem(1007));
    DescribeForScreenReaders(this, m_controls);
    // Both Exit and About carry the default style; as with the classic
    // dialog manager the last of them in the table, About, is the default,
    // so Enter in an edit opens the about box rather than ending the program.
    static_cast<QPushButton*>(GetDlgItem(kAboutButtonId))->setDefault(true);

    for (unsigned id = 0; id < m_timers.size(); ++id) {
        m_timers[id].setTimerType(Qt::PreciseTimer);
        connect(&m_timers[id], &QTimer::timeout, this, [this, id] { DeliverTimer(id); });
    }
    // The player's own bar drives the engine directly; its failures are
    // told as any other player failure outside the media guard.
    connect(m_player.controlBar(), &PlayerControlBar::failed, this, [this](const QString& what) {
        if (!TellLateLoadFailure())
            ReportUnguardedFailure(what.toStdString());
    });
    m_player.OnLateFailure([this](const MediaError& error) { OnLateLoadFailure(error); });
    connect(&m_player, &CMediaplayer1::linePassageChosen, this,
            [this](double start, double end) { RunCommand([=, this] { OnLineAsPassage(start, end); }); });
    GetDlgItem(kEditStartId)->installEventFilter(this);
    GetDlgItem(kEditEndId)->installEventFilter(this);
    m_commandKeys = new CommandKeys(this);
    m_commandKeys->leaveToField(GetDlgItem(kRecordPathId));
    ConnectCommands();
}

CRecorderDlg::~CRecorderDlg()
{
    for (QTimer& timer : m_timers)
        timer.stop();
    m_player.OnLateFailure(nullptr);
    // The controls outlive this object's members: nothing they send while
    // they are torn down may reach the handlers.
    for (QWidget* control : m_controls.inOrder) {
        control->removeEventFilter(this);
        disconnect(control, nullptr, this, nullptr);
    }
}

void CRecorderDlg::ConnectButton(int id, void (CRecorderDlg::*handler)())
{
    auto* button = static_cast<QAbstractButton*>(GetDlgItem(id));
    connect(button, &QAbstractButton::clicked, this, [this, handler] { RunCommand([this, handler] { (this->*handler)(); }); });
}

void CRecorderDlg::ConnectCommands()
{
    ConnectButton(kExitButtonId, &CRecorderDlg::OnExit);
    ConnectButton(kAboutButtonId, &CRecorderDlg::OnAbout);
    ConnectDrillCommands();  // first: a command ends the drill before it runs
    ConnectPlaybackCommands();
    ConnectPausePointCommands();
    ConnectRecordingCommands();
}

bool CRecorderDlg::OnInitDialog()
{
    m_initialised = true;
    DoDataExchange(false);
    // X11 and Wayland window managers own the window menu, so there is no
    // system menu to append the About item to; the About button serves.
    // The icon is set once the window is painted (paintEvent).
    if (!LoadSettings()) {
        m_segStart = 0.0;
        m_segEnd = 0.0;
        m_segNudge = 0.5;
        m_pauseNudge = 0.5;
        m_markLag = 0.33;
        UseDefaultMedia();
    }
    m_editMediaPath->setText(QString::fromStdString(m_mediaPath));
    DoDataExchange(false);
    GetDlgItem(kEditStartId)->setFocus(Qt::OtherFocusReason);
    return true;
}

void CRecorderDlg::showEvent(QShowEvent* event)
{
    if (!m_initialised)
        OnInitDialog();
    QDialog::showEvent(event);
}

void CRecorderDlg::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    // Reading the icon's images takes longer than showing the rest of the
    // window: the window comes first.
    if (!m_iconAsked) {
        m_iconAsked = true;
        QTimer::singleShot(0, this, [this] {
            m_hIcon = ApplicationIcon();
            setWindowIcon(m_hIcon);
            QGuiApplication::setWindowIcon(m_hIcon);  // for the boxes and windows to come
        });
    }
    // The media of the last session is loaded once the player is ready:
    // the window answers meanwhile.
    if (m_startupMediaPending) {
        m_startupMediaPending = false;
        m_player.WhenEngineReady([this] { LoadStartupMedia(); });
    }
}

void CRecorderDlg::OnAbout()
{
    CAboutDlg about(this);
    about.exec();
}

void CRecorderDlg::OnExit()
{
    for (unsigned id = 0; id < m_timers.size(); ++id)
        KillTimer(id);
    if (m_services.quitApplication)
        m_services.quitApplication(0);
}

void CRecorderDlg::closeEvent(QCloseEvent* event)
{
    bool closing = true;
    RunCommand([this, &closing] { closing = OnClose(); });
    if (!closing) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

bool CRecorderDlg::OnClose()
{
    // A player that fails to stop must not cost the user the settings or
    // the unsaved pause points.
    RunCommand([this] { m_player.Stop(); });
    SaveSettings();
    // Closing now would lose the changes the message says are still here.
    return SavePausePointsIfModified(
        "\nThe window stays open: close it again to try once more, or answer No to leave without them.");
}

bool CRecorderDlg::eventFilter(QObject* watched, QEvent* event)
{
    const bool startEdit = watched == GetDlgItem(kEditStartId);
    if (event->type() == QEvent::FocusOut && (startEdit || watched == GetDlgItem(kEditEndId))) {
        // The edit takes its focus loss first (its selection goes), then the
        // command runs, as a focus-lost notification follows the control's
        // own handling.
        watched->event(event);
        if (!m_refusingNumber)
            RunCommand([this, startEdit] { startEdit ? OnKillFocusStart() : OnKillFocusEnd(); });
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

unsigned CRecorderDlg::SetTimer(unsigned id, int periodMs)
{
    if (id >= m_timers.size())
        return 0;
    m_timers[id].start(periodMs);
    return id;
}

void CRecorderDlg::KillTimer(unsigned id)
{
    if (id < m_timers.size())
        m_timers[id].stop();
}

bool CRecorderDlg::IsTimerRunning(unsigned id) const
{
    return id < m_timers.size() && m_timers[id].isActive();
}

bool CRecorderDlg::IsChecked(int id) const
{
    const auto* box = static_cast<const QCheckBox*>(GetDlgItem(id));
    return box && box->isChecked();
}

void CRecorderDlg::RunCommand(const std::function<void()>& command)
{
    try {
        command();
    } catch (const MediaError& error) {
        if (!TellLateLoadFailure())
            ReportUnguardedFailure(error.what());
    }
    SyncPlayer();
}

void CRecorderDlg::ReportUnguardedFailure(const std::string& what)
{
    Ask("The media player reported an error: " + what, m_appTitle, BoxButtons::Ok, BoxIcon::Exclamation);
}

BoxAnswer CRecorderDlg::Ask(const std::string& text, const std::string& caption, BoxButtons buttons, BoxIcon icon)
{
    return m_services.prompts->ShowMessage(this, MessageBoxRequest{text, caption, buttons, icon});
}

void CRecorderDlg::SetPauseFilePath(const std::string& path)
{
    // Callers hand over paths that fit; a path that does not is not cut,
    // since the cut one would name some other file: there is none then.
    const std::size_t length = path.size() < kPathBufferSize ? path.size() : 0;
    path.copy(m_pauseFilePath, length);
    m_pauseFilePath[length] = '\0';
}
