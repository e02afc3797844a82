// The 19 entry points of libmpegdll.so; each hands its call to the player.
#include "Player.h"

#define MPEGDLL_EXPORT extern "C" __attribute__((visibility("default")))

using korvel::mpegdll::Player;

MPEGDLL_EXPORT int32_t init(void) {
    return Player::instance().init();
}
MPEGDLL_EXPORT void deinit(void) {
    Player::instance().deinit();
}
MPEGDLL_EXPORT void Open(const char* name, int32_t stream, mpegdll_open_cb open, mpegdll_close_cb close,
                         mpegdll_restart_cb restart, mpegdll_read_cb read, mpegdll_seek_cb seek,
                         mpegdll_size_cb size, void* owner) {
    Player::instance().open(name, stream != 0, {open, close, restart, read, seek, size, owner});
}
MPEGDLL_EXPORT void Pause(int32_t resume) {
    Player::instance().pause(resume != 0);
}
MPEGDLL_EXPORT void Restart(void) {
    Player::instance().restart();
}
MPEGDLL_EXPORT void Stop(void) {
    Player::instance().stop();
}
MPEGDLL_EXPORT void SetPriority(int32_t priority) {
    Player::instance().setPriority(priority);
}
MPEGDLL_EXPORT void SetOutputDevice(int32_t device, const char* filename) {
    Player::instance().setOutputDevice(device, filename);
}
MPEGDLL_EXPORT int32_t Play(int32_t start, int32_t end, unsigned char* end_reached) {
    return Player::instance().play(start, end, end_reached);
}
MPEGDLL_EXPORT void Close(void) {
    Player::instance().close();
}
MPEGDLL_EXPORT int32_t GetFrequency(void) {
    return Player::instance().frequency();
}
MPEGDLL_EXPORT int32_t GetBitrate(void) {
    return Player::instance().bitrate();
}
MPEGDLL_EXPORT int32_t GetLayer(void) {
    return Player::instance().layer();
}
MPEGDLL_EXPORT int32_t GetPlayerMode(void) {
    return Player::instance().playerMode();
}
MPEGDLL_EXPORT int32_t GetCurrentPos(void) {
    return Player::instance().currentPos();
}
MPEGDLL_EXPORT int32_t GetLength(void) {
    return Player::instance().length();
}
MPEGDLL_EXPORT void ResetPlayerMode(void) {
    Player::instance().resetPlayerMode();
}
MPEGDLL_EXPORT int32_t Seek(int32_t pos) {
    return Player::instance().seek(pos);
}
MPEGDLL_EXPORT int32_t LastError(void) {
    return Player::instance().lastError();
}
