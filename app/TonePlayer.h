#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QObject>

#include <memory>
#include <vector>

class QAudioSink;

namespace lumetra::app {

// Plays the model's tone on the default audio output; where there is none, nothing plays
// and nothing fails.
class TonePlayer : public QObject {
    Q_OBJECT

public:
    explicit TonePlayer(QObject* parent = nullptr);
    ~TonePlayer() override;

    // Starts the samples, stopping what played before; false when there is no device.
    bool play(const std::vector<float>& samples, int sampleRate);
    void stop();
    bool playing() const { return sink_ != nullptr; }

signals:
    // Playing ended: at the end of the samples, on stop(), or on the device's failure.
    void stopped();

private:
    std::unique_ptr<QAudioSink> sink_;
    QBuffer buffer_;
    QByteArray data_;
};

} // namespace lumetra::app
