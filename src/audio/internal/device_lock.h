#pragma once

#include <cstdint>

#include <SDL.h>

// Internal to the audio library.
namespace bastion {

// Holds the audio device lock for a scope; does nothing without a device.
class DeviceLock {
public:
    explicit DeviceLock(std::uint32_t device) : device_(device) {
        if (device_ != 0) SDL_LockAudioDevice(device_);
    }
    ~DeviceLock() {
        if (device_ != 0) SDL_UnlockAudioDevice(device_);
    }
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;

private:
    std::uint32_t device_;
};

}  // namespace bastion
