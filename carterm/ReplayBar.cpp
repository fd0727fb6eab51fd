#include "carterm/ReplayBar.h"

#include "carterm/Form1.h"
#include "serial/capture/CaptureWalk.h"
#include "serial/capture/ReplayBackend.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
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
    nextFault_->setEnabled(faults_.size() > 0);
    nextFault_->setToolTip(QString("%1 faults in this recording").arg(faults_.size()));

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

void ReplayBar::stayBelow(QWidget* car)
{
    car_ = car;
    car_->installEventFilter(this);
    if (car_->isVisible())
        place();
}

bool ReplayBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == car_ && (event->type() == QEvent::Show || event->type() == QEvent::Move
                            || event->type() == QEvent::Resize))
        place();
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
    if (const auto fault = faults_.after(replay_.position()))
        replay_.seek(*fault);
}

void ReplayBar::refresh()
{
    play_->setText(replay_.playing() ? "&Pause" : "&Play");
    if (!slider_->isSliderDown())
        slider_->setValue(static_cast<int>(replay_.position() / kSliderStep));
    time_->setText(replayClock(replay_.position()) + " / " + replayClock(replay_.duration()));
}

} // namespace carterm
