#include "pane/CMediaplayer1.h"

#include "pane/FullScreenSwitch.h"
#include "player/MediaError.h"
#include "player/MediaFile.h"
#include "pane/PlayerControlBar.h"
#include "pane/SubtitleTrack.h"
#include "pane/VideoView.h"
#include "pane/WaveformView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPalette>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <filesystem>

namespace {
// The label under the waveform keeps room for two rows of a line, so that
// the waveform does not jump as lines come and go.
constexpr int kLineRows = 2;

QLabel* makeLineLabel(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName("SubtitleLine");
    label->setTextFormat(Qt::PlainText);  // a line's text is never markup
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignCenter);
    label->setContentsMargins(4, 2, 4, 2);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(pal);
    label->setFixedHeight(kLineRows * label->fontMetrics().lineSpacing() + 4);
    label->setAccessibleName("字幕");
    label->setAccessibleDescription("正在播放的字幕行");
    label->setToolTip("正在播放的字幕行\n"
                      "Ctrl+←/→ 上一行/下一行，L 把这一行作为复读段，V 隐藏/显示字幕\n"
                      "F6 从窗口任何地方回到播放器");
    label->hide();
    return label;
}
}  // namespace

CMediaplayer1::CMediaplayer1(std::unique_ptr<IMediaEngine> engine, const MediaReaders& readers, QWidget* parent)
    : QWidget(parent), m_engine(std::move(engine)), m_findSentences(readers.findSentences)
{
    setObjectName("CMediaplayer1");
    setAccessibleName("媒体播放器");
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);

    m_video = new VideoView(m_engine->Video(), this);
    m_video->setAccessibleName("视频");
    m_video->setToolTip("双击或 F 全屏，Esc 退出全屏，V 隐藏/显示字幕，Ctrl+加号/减号 字幕放大/缩小\n"
                        "Ctrl+←/→ 上一行/下一行字幕，L 把这一行作为复读段\n"
                        "F6 从窗口任何地方回到播放器");
    m_waveform = new WaveformView(readers.openOverview, this);
    m_waveform->hide();
    m_line = makeLineLabel(this);
    m_subtitles = new SubtitleTrack(readers.openSubtitles, this);
    m_fullScreen = std::make_unique<FullScreenSwitch>(*this);
    m_bar = new PlayerControlBar(*m_engine, this);
    m_bar->setAutoFillBackground(true);
    // The player's black would otherwise carry over to the bar.
    QPalette barPalette = m_bar->palette();
    barPalette.setColor(QPalette::Window, QApplication::palette().color(QPalette::Window));
    m_bar->setPalette(barPalette);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_video, 1);
    layout->addWidget(m_waveform, 1);
    layout->addWidget(m_line);
    layout->addWidget(m_bar);

    // The player takes the focus as one control; a click on any of its
    // parts gives it the focus, so that its keys work next.
    setFocusPolicy(Qt::StrongFocus);
    for (QWidget* child : findChildren<QWidget*>()) {
        child->setFocusPolicy(Qt::NoFocus);
        child->installEventFilter(this);
    }

    m_engine->SetStatusListener([this](const PlayerStatus& status) {
        m_bar->showStatus(status);
        m_waveform->showStatus(status);
        showLineAt(status.position);
        if (m_drill)
            m_drill->ShowStatus(status);
    });
    connect(m_waveform, &WaveformView::seekRequested, m_bar, &PlayerControlBar::seekTo);
    connect(m_waveform, &WaveformView::mediaKindKnown, this, [this](bool video) { showVideo(video); });
    connect(m_bar, &PlayerControlBar::seeked, m_waveform, &WaveformView::jumpTo);
    connect(m_bar, &PlayerControlBar::seeked, this, [this](double seconds) { showLineAt(seconds); });
    connect(m_subtitles, &SubtitleTrack::linesChanged, this, [this] { onLinesChanged(); });
    // The size kept from last time; the engine takes it once it starts.
    if (m_subtitleSize.scale() != 1.0)
        tellSubtitleLayout();
    connect(m_waveform, &WaveformView::overviewDone, this, [this] { offerFoundSentences(); });
}

// The children refer to the engine: they go first.
CMediaplayer1::~CMediaplayer1()
{
    m_engine->SetStatusListener(nullptr);
    m_drill.reset();
    m_engine->SetLateFailureListener(nullptr);
    for (QWidget* child : findChildren<QWidget*>())
        child->removeEventFilter(this);
    delete m_bar;
    delete m_waveform;
    delete m_video;
}

void CMediaplayer1::showVideo(bool video)
{
    if (!video)
        leaveFullScreen();
    m_video->setVisible(video);
    m_waveform->setVisible(!video);
    m_line->setVisible(lineTextWanted());
}

// The pane stays as it is (black) until the overview knows whether the
// file has video: a video file then never shows an empty waveform first.
// The same file again, unchanged (what playing on from B does), keeps its
// picture and its overview, as the engine keeps the media.
void CMediaplayer1::SetMediaFile(const std::string& path)
{
    const std::string stamp = mediafile::Stamp(path);
    const bool same = !stamp.empty() && stamp == m_shownStamp;
    m_shownStamp.clear();
    if (!same) {
        m_video->clear();
        m_waveform->clear();
        m_subtitles->clear();
    }
    try {
        m_engine->SetMediaFile(path);
    } catch (const MediaError&) {
        m_video->clear();
        m_waveform->clear();
        m_subtitles->clear();
        throw;
    }
    if (!same) {
        m_unreadTold = false;
        m_waveform->open(path);
        m_subtitles->open(path);
    }
    if (m_drill)
        m_drill->SetMedia(path);
    m_shownStamp = stamp;
}

double CMediaplayer1::GetPosition() { return m_engine->GetPosition(); }

void CMediaplayer1::SetPosition(double seconds)
{
    m_engine->SetPosition(seconds);
    m_waveform->jumpTo(seconds);
}

void CMediaplayer1::Play() { m_engine->Play(); }
void CMediaplayer1::Pause() { m_engine->Pause(); }
void CMediaplayer1::Stop() { m_engine->Stop(); }
void CMediaplayer1::ArmEnd(std::optional<double> end, std::optional<double> loopFrom)
{
    if (!m_drill || !m_drill->Running())
        m_engine->ArmEnd(end, loopFrom);
}

void CMediaplayer1::UseDrill(const PlayerDrillMaker& make)
{
    if (!make)
        return;
    PlayerDrillHooks hooks;
    hooks.passageChosen = [this](double start, double end) { emit linePassageChosen(start, end); };
    hooks.starting = [this] { emit drillStarting(); };
    hooks.tell = [this](const std::string& text) { tell(QString::fromStdString(text)); };
    hooks.takeShown = [this](double start, std::vector<float> peaks, double step) {
        m_waveform->setTake(start, std::move(peaks), step);
    };
    hooks.takePlaying = [this](double seconds) { m_waveform->setTakePosition(seconds); };
    m_drill = make(*m_engine, std::move(hooks));
    QWidget* bar = m_drill->Bar();
    QPalette barPalette = bar->palette();
    barPalette.setColor(QPalette::Window, QApplication::palette().color(QPalette::Window));
    bar->setPalette(barPalette);
    static_cast<QVBoxLayout*>(layout())->insertWidget(layout()->indexOf(m_line) + 1, bar);
    // As the pane's other parts: the player takes the focus as one control.
    for (QWidget* part : bar->findChildren<QWidget*>()) {
        part->setFocusPolicy(Qt::NoFocus);
        part->installEventFilter(this);
    }
    bar->setFocusPolicy(Qt::NoFocus);
    bar->installEventFilter(this);
    m_bar->setPlayToggleTaker([this] {
        if (!m_drill->Running())
            return false;
        m_drill->ToggleHold();
        return true;
    });
    connect(m_bar->stopButton(), &QToolButton::clicked, this, [this] { EndDrill(); });
    m_drill->SetSentences(m_subtitles->lines());
}

void CMediaplayer1::EndDrill()
{
    if (m_drill)
        m_drill->End();
}

void CMediaplayer1::OnLateFailure(std::function<void(const MediaError&)> told)
{
    m_engine->SetLateFailureListener(std::move(told));
}

void CMediaplayer1::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    prepareEngineOnce();
}

// The window is on the screen before the engine's slow set-up begins. The
// parts cover the whole pane, so Qt may never paint the pane itself: the
// first paint of any of them counts.
void CMediaplayer1::prepareEngineOnce()
{
    if (!m_setUpStarted) {
        m_setUpStarted = true;
        QTimer::singleShot(0, this, [this] { m_engine->PrepareInBackground(nullptr); });
    }
}

void CMediaplayer1::WhenEngineReady(std::function<void()> ready)
{
    m_setUpStarted = true;
    m_engine->PrepareInBackground(std::move(ready));
}

void CMediaplayer1::ShowPassage(double start, double end)
{
    m_bar->showPassage(start, end);
    m_waveform->setPassage(start, end);
}

bool CMediaplayer1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint)
        prepareEngineOnce();
    if (event->type() == QEvent::MouseButtonPress && focusPolicy() != Qt::NoFocus)
        setFocus(Qt::MouseFocusReason);
    if (event->type() == QEvent::MouseButtonDblClick && watched == m_video) {
        toggleFullScreen();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void CMediaplayer1::keyPressEvent(QKeyEvent* event)
{
    if (handleOwnKey(event->key(), event->modifiers()) || m_bar->handleKey(event->key(), event->modifiers()))
        event->accept();
    else
        QWidget::keyPressEvent(event);
}

void CMediaplayer1::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    m_waveform->setFocusShown(true);
}

void CMediaplayer1::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    m_waveform->setFocusShown(false);
}

void CMediaplayer1::onLinesChanged()
{
    std::vector<double> starts;
    for (const SubtitleLine& line : m_subtitles->lines().lines())
        starts.push_back(line.start);
    m_waveform->setLineStarts(std::move(starts));
    m_line->setVisible(lineTextWanted());
    // The last file's line goes, its text and its name alike.
    showLine(nullptr);
    showLineAt(m_engine->Status().position);
    const std::string& unread = m_subtitles->unreadFile();
    if (!m_subtitles->problem().empty()) {
        tell(QString::fromStdString(m_subtitles->problem()));
    } else if (!unread.empty() && !m_unreadTold) {
        m_unreadTold = true;
        tell("读不出字幕文件 " + QString::fromStdString(std::filesystem::path(unread).filename().string()));
    }
    if (m_drill)
        m_drill->SetSentences(m_subtitles->lines());
    offerFoundSentences();
}

// The line's text under the waveform, for media without video whose lines have text.
bool CMediaplayer1::lineTextWanted() const
{
    return m_video->isHidden() && m_subtitlesShown && !m_subtitles->lines().empty() && !m_subtitles->found();
}

void CMediaplayer1::offerFoundSentences()
{
    const IWaveformOverview* overview = m_waveform->overview();
    if (!m_findSentences || !overview || overview->state() != IWaveformOverview::State::Done
        || m_subtitles->loading() || !m_subtitles->lines().empty())
        return;
    m_subtitles->setFoundLines(m_findSentences(overview->levels()));
}

void CMediaplayer1::showLineAt(double seconds)
{
    const SubtitleLine* line = m_subtitles->lines().playingAt(seconds);
    if (line != m_lineShown)
        showLine(line);
}

void CMediaplayer1::showLine(const SubtitleLine* line)
{
    m_lineShown = line;
    const QString text = line ? QString::fromStdString(line->text) : QString();
    m_line->setText(text);
    // A screen reader reads out the name as it changes.
    m_line->setAccessibleName(text.isEmpty() ? QString("字幕") : "字幕：" + text);
}

void CMediaplayer1::tell(const QString& text)
{
    setStatusTip(text);
    QStatusTipEvent tip(text);
    QApplication::sendEvent(this, &tip);
    QToolTip::showText(mapToGlobal(rect().center()), text, this);
}

std::optional<double> CMediaplayer1::lineKeyPosition()
{
    if (m_subtitles->lines().empty()) {
        const IWaveformOverview* overview = m_waveform->overview();
        const bool finding = m_findSentences && overview
            && (overview->state() == IWaveformOverview::State::Opening
                || overview->state() == IWaveformOverview::State::Decoding);
        tell(m_subtitles->loading() ? "字幕行还在读取中" : finding ? "还在按停顿分句" : "这个文件没有字幕行");
        return std::nullopt;
    }
    try {
        return m_engine->GetPosition();
    } catch (const MediaError&) {
        return std::nullopt;  // no media: nothing to go to
    }
}

bool CMediaplayer1::handleOwnKey(int key, Qt::KeyboardModifiers modifiers)
{
    modifiers &= ~Qt::KeypadModifier;
    if (modifiers == Qt::ControlModifier && (key == Qt::Key_Left || key == Qt::Key_Right)) {
        if (m_drill && m_drill->Running()) {
            m_drill->Step(key == Qt::Key_Left ? -1 : 1);
            return true;
        }
        if (const std::optional<double> position = lineKeyPosition()) {
            const SubtitleLines& lines = m_subtitles->lines();
            const std::optional<double> start =
                key == Qt::Key_Left ? lines.previousStart(*position) : lines.nextStart(*position);
            if (start)
                m_bar->seekTo(*start);
        }
        return true;
    }
    // Ctrl+Plus is typed with Shift on most keyboards; Ctrl+= is the same key.
    if (modifiers == Qt::ControlModifier || modifiers == (Qt::ControlModifier | Qt::ShiftModifier)) {
        switch (key) {
        case Qt::Key_Plus:
        case Qt::Key_Equal: return stepSubtitleSize(1);
        case Qt::Key_Minus: return stepSubtitleSize(-1);
        case Qt::Key_0: return stepSubtitleSize(0);
        default: return false;
        }
    }
    if (modifiers != Qt::NoModifier)
        return false;
    switch (key) {
    case Qt::Key_D:
        if (!m_drill)
            return false;
        if (!m_drill->Running() && m_subtitles->lines().empty() && m_subtitles->loading())
            tell("字幕行还在读取中");
        else
            m_drill->Toggle();
        return true;
    case Qt::Key_L:
        EndDrill();  // a passage of the learner's own
        if (const std::optional<double> position = lineKeyPosition()) {
            if (const SubtitleLine* line = m_subtitles->lines().playingOrNext(*position))
                emit linePassageChosen(line->start, line->end);
            else
                tell("后面没有字幕行了");
        }
        return true;
    case Qt::Key_T:
        return m_drill && m_drill->ToggleTake(m_waveform->passageStart(), m_waveform->passageEnd());
    case Qt::Key_Y:
        return m_drill && m_drill->PlayTake(m_waveform->passageStart());
    case Qt::Key_V: toggleSubtitles(); return true;
    case Qt::Key_F: toggleFullScreen(); return true;
    case Qt::Key_Escape:
        if (!m_fullScreen->isOn())
            return false;  // the window's own meaning
        leaveFullScreen();
        return true;
    default: return false;
    }
}
