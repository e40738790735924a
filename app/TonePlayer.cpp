#include "TonePlayer.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace lumetra::app {

TonePlayer::TonePlayer(QObject* parent) : QObject(parent) {}

TonePlayer::~TonePlayer()
{
    if (sink_)
        sink_->stop();
}

bool TonePlayer::play(const std::vector<float>& samples, int sampleRate)
{
    stop();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull() || samples.empty())
        return false;
    // 16-bit samples: every output takes them
    QAudioFormat format;
    format.setSampleRate(sampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format))
        return false;

    data_.resize(static_cast<qsizetype>(samples.size() * sizeof(std::int16_t)));
    auto* out = reinterpret_cast<std::int16_t*>(data_.data());
    for (std::size_t i = 0; i < samples.size(); ++i)
        out[i] = static_cast<std::int16_t>(std::lround(std::clamp(samples[i], -1.0f, 1.0f) * 32767.0f));
    buffer_.close();
    buffer_.setData(data_);
    buffer_.open(QIODevice::ReadOnly);

    sink_ = std::make_unique<QAudioSink>(device, format);
    connect(sink_.get(), &QAudioSink::stateChanged, this, [this](QAudio::State state) {
        // Idle: every sample was played; Stopped: the device gave up
        if (state == QAudio::IdleState || state == QAudio::StoppedState)
            stop();
    });
    sink_->start(&buffer_);
    if (sink_ && sink_->error() != QAudio::NoError) {
        stop();
        return false;
    }
    return sink_ != nullptr;
}

void TonePlayer::stop()
{
    if (!sink_)
        return;
    // this may run inside the sink's own signal: it goes when that has returned
    QAudioSink* sink = sink_.release();
    sink->disconnect(this);
    sink->stop();
    sink->deleteLater();
    buffer_.close();
    emit stopped();
}

} // namespace lumetra::app
