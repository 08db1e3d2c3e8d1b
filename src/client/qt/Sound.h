#pragma once

#include <QString>

#include <memory>

class QSoundEffect;

namespace tarvendo::client {

// A short sound effect that is silent, never fatal, when it cannot be played:
// no audio output device, or a file that does not load. Main thread only.
class Sound {
public:
    explicit Sound(const QString& url);
    ~Sound();
    Sound(const Sound&) = delete;
    Sound& operator=(const Sound&) = delete;

    // Whether there is an output to play on; the file may still fail to load.
    bool hasOutput() const { return effect_ != nullptr; }
    // At the sound's own volume.
    void play();
    // volume from 0 (silent) to 1 (the sound's own level).
    void play(float volume);

private:
    std::unique_ptr<QSoundEffect> effect_;  // absent without an audio output
};

}  // namespace tarvendo::client
