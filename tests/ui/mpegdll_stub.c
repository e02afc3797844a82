/* A stand-in decoder library for the component's load checks: every entry point but the one
 * numbered OMIT (1 to 19, in the order the component binds them), and an init that answers
 * INIT_RESULT with LastError INIT_ERROR. */
#include <stdint.h>

#ifndef OMIT
#define OMIT 0
#endif
#ifndef INIT_RESULT
#define INIT_RESULT 1
#endif
#ifndef INIT_ERROR
#define INIT_ERROR 0
#endif

#define EXPORT __attribute__((visibility("default")))

static int32_t last_error;

#if OMIT != 1
EXPORT int32_t init(void) {
    last_error = INIT_ERROR;
    return INIT_RESULT;
}
#endif
#if OMIT != 2
EXPORT void deinit(void) {}
#endif
#if OMIT != 3
EXPORT void Open(const char* n, int32_t s, void* a, void* b, void* c, void* d, void* e, void* f, void* o) {
    (void)n, (void)s, (void)a, (void)b, (void)c, (void)d, (void)e, (void)f, (void)o;
    last_error = 3;
}
#endif
#if OMIT != 4
EXPORT void Pause(int32_t r) {
    (void)r;
}
#endif
#if OMIT != 5
EXPORT void Restart(void) {}
#endif
#if OMIT != 6
EXPORT void Stop(void) {}
#endif
#if OMIT != 7
EXPORT void SetPriority(int32_t p) {
    (void)p;
}
#endif
#if OMIT != 8
EXPORT void SetOutputDevice(int32_t d, const char* f) {
    (void)d, (void)f;
}
#endif
#if OMIT != 9
EXPORT int32_t Play(int32_t s, int32_t e, unsigned char* r) {
    (void)s, (void)e, (void)r;
    return 1;
}
#endif
#if OMIT != 10
EXPORT void Close(void) {}
#endif
#if OMIT != 11
EXPORT int32_t GetFrequency(void) {
    return 0;
}
#endif
#if OMIT != 12
EXPORT int32_t GetBitrate(void) {
    return 0;
}
#endif
#if OMIT != 13
EXPORT int32_t GetLayer(void) {
    return 0;
}
#endif
#if OMIT != 14
EXPORT int32_t GetPlayerMode(void) {
    return 0;
}
#endif
#if OMIT != 15
EXPORT int32_t GetCurrentPos(void) {
    return 0;
}
#endif
#if OMIT != 16
EXPORT int32_t GetLength(void) {
    return 0;
}
#endif
#if OMIT != 17
EXPORT void ResetPlayerMode(void) {}
#endif
#if OMIT != 18
EXPORT int32_t Seek(int32_t p) {
    (void)p;
    return 0;
}
#endif
#if OMIT != 19
EXPORT int32_t LastError(void) {
    return last_error;
}
#endif
