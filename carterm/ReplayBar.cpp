#include "carterm/ReplayBar.h"

#include "carterm/Form1.h"
#include "carterm/ReplayClock.h"
#include "serial/capture/CaptureWalk.h"
#include "serial/capture/ReplayBackend.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProxyStyle>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

#include <cstdio>

namespace carterm {

namespace {
// The slider counts tenths of a second.
constexpr long long kSliderStep = 100000;

// "1:02:03" or "2:03": a replay position for the bar.
QString replayClock(long long micros)
{
    const long long s = micros / 1000000;
    return s >= 3600 ? QString::asprintf("%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60)
                     : QString::asprintf("%lld:%02lld", s / 60, s % 60);
}

// A click in the groove moves the handle to that point, not a page towards it: the technician
// points at a moment.
class JumpingSliderStyle final : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override
    {
        if (hint == SH_Slider_AbsoluteSetButtons)
            return Qt::LeftButton;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

QString faultCount(std::size_t n)
{
    return n == 1 ? QString("1 fault") : QString("%1 faults").arg(n);
}

} // namespace

launch::Option replayOption()
{
    return {"replay", "CAPTURE", "play a recorded session into the car window, not a port"};
}

int takeReplayOption(const launch::CommandLine& line, const std::string& program, std::string& capture)
{
    capture = line.value("replay");
    if (capture.empty())
        return -1;
    serial::capture::CaptureWalk walk;
    if (!walk.open(capture)) {
        std::fprintf(stderr, "%s: --replay: %s\n", program.c_str(), walk.error().c_str());
        return 2;
    }
    return -1;
}

std::unique_ptr<serial::capture::ReplayBackend> replayBackend(const std::string& capture)
{
    return capture.empty() ? nullptr : std::make_unique<serial::capture::ReplayBackend>(capture);
}

std::unique_ptr<ReplayBar> startReplay(Form1& window, serial::capture::ReplayBackend* replay,
                                       const serial::capture::CaptureSettings& live)
{
    if (!replay) {
        window.MSComm1.record(live);
        return nullptr;
    }
    window.replayNote = "Replay of " + replay->paths().stem.substr(replay->paths().stem.rfind('/') + 1) +
                        ": nothing sent goes anywhere";
    auto bar = std::make_unique<ReplayBar>(*replay);
    bar->drive(window);
    bar->stayBelow(window.host()->window());
    return bar;
}

ReplayBar::ReplayBar(serial::capture::ReplayBackend& replay, QWidget* parent)
    : QWidget(parent, Qt::Tool), replay_(replay), faults_(reply::indexFaults(replay.paths().stem)),
      play_(new QPushButton(this)), speed_(new QComboBox(this)), slider_(new QSlider(Qt::Horizontal, this)),
      time_(new QLabel(this)), nextFault_(new QPushButton("&Next fault", this))
{
    setWindowTitle("Replay - " + QString::fromStdString(replay.paths().stem).section('/', -1));
    speed_->addItem("1x", 1);
    speed_->addItem("4x", 4);
    speed_->addItem("16x", 16);
    speed_->addItem("As fast as possible", serial::capture::ReplayBackend::kAsFastAsPossible);
    speed_->setCurrentIndex(std::max(0, speed_->findData(replay.speed())));
    speed_->setAccessibleName("Replay speed");
    slider_->setAccessibleName("Replay position");
    slider_->setRange(0, static_cast<int>(replay.duration() / kSliderStep));
    auto* jumping = new JumpingSliderStyle;
    jumping->setParent(slider_);
    slider_->setStyle(jumping);
    nextFault_->setEnabled(faults_.size() > 0);
    nextFault_->setToolTip(faultCount(faults_.size()) + " in this recording");

    auto* row = new QHBoxLayout(this);
    row->addWidget(play_);
    row->addWidget(speed_);
    row->addWidget(slider_, 1);
    row->addWidget(time_);
    row->addWidget(nextFault_);

    connect(play_, &QPushButton::clicked, this, [this] { replay_.setPlaying(!replay_.playing()); });
    connect(speed_, &QComboBox::activated, this, [this](int i) { replay_.setSpeed(speed_->itemData(i).toInt()); });
    connect(slider_, &QSlider::sliderReleased, this, [this] { replay_.seek(slider_->value() * kSliderStep); });
    connect(slider_, &QSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove)
            QTimer::singleShot(0, this, [this] { replay_.seek(slider_->value() * kSliderStep); });
    });
    connect(nextFault_, &QPushButton::clicked, this, [this] { nextFault(); });
    replay_.onProgress = [this] { refresh(); };
    refresh();
}

ReplayBar::~ReplayBar() { replay_.onProgress = nullptr; }

void ReplayBar::drive(Form1& window)
{
    window_ = &window;
    clock_ = std::make_unique<ReplayClock>(window, replay_);
}

void ReplayBar::tell(const std::string& text)
{
    if (window_)
        window_->Label1.setCaption(text);
}

void ReplayBar::stayBelow(QWidget* car)
{
    car_ = car;
    car_->installEventFilter(this);
    if (car_->isVisible()) {
        place();
    } else if (replay_.playing()) {
        // Nothing plays behind the splash.
        replay_.setPlaying(false);
        waitingForCar_ = true;
    }
}

bool ReplayBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == car_ && (event->type() == QEvent::Show || event->type() == QEvent::Move
                            || event->type() == QEvent::Resize))
        place();
    if (watched == car_ && event->type() == QEvent::Show && waitingForCar_) {
        waitingForCar_ = false;
        replay_.setPlaying(true);
    }
    return false;
}

void ReplayBar::place()
{
    const QRect car = car_->frameGeometry();
    resize(std::max(car.width(), 560), sizeHint().height());
    move(car.left(), car.bottom() + 4);
    show();
    raise();
}

void ReplayBar::nextFault()
{
    const long long at = replay_.position();
    const auto fault = faults_.after(at);
    if (!fault) {
        tell(("No fault after " + replayClock(at) + " (" + faultCount(faults_.size()) + " in this recording)")
                 .toStdString());
        return;
    }
    replay_.seek(*fault);
    tell(QString("Fault %1 of %2, at %3").arg(faults_.upTo(*fault)).arg(faults_.size()).arg(replayClock(*fault))
             .toStdString());
}

void ReplayBar::refresh()
{
    play_->setText(replay_.playing() ? "&Pause" : "&Play");
    if (!slider_->isSliderDown())
        slider_->setValue(static_cast<int>(replay_.position() / kSliderStep));
    time_->setText(replayClock(replay_.position()) + " / " + replayClock(replay_.duration()));
}

} // namespace carterm
