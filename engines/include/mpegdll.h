/* mpegdll: the MP3 decoder and player library (libmpegdll.so).
 *
 * The program loads it at run time and binds its 19 entry points by name; the library decodes
 * with libmpg123 and plays through libout123 on a thread of its own. The one datum it shares
 * with its caller is the end-of-playback byte whose address is handed to Play.
 *
 * Units: positions and lengths are milliseconds from the start of the input.
 * Every entry but LastError stores its outcome; LastError answers it (0: success).
 */
#ifndef KORVEL_MPEGDLL_H
#define KORVEL_MPEGDLL_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Error codes answered by LastError. */
enum {
    MPEGDLL_OK = 0,
    MPEGDLL_ERR_DECODER = 1,     /* internal decoder error */
    MPEGDLL_ERR_MODE = 2,        /* the call does not fit the player's state */
    MPEGDLL_ERR_INPUT = 3,       /* the input cannot be opened or read */
    MPEGDLL_ERR_NONSEEKABLE = 4, /* a seek on an input that cannot seek */
    MPEGDLL_ERR_OUTPUT = 5       /* no output device, or it failed or stalled */
};

/* Output devices for SetOutputDevice. */
enum {
    MPEGDLL_DEVICE_DEFAULT = 0, /* the system's sound output */
    MPEGDLL_DEVICE_PCMFILE = 2  /* raw PCM (signed 16 bit, native byte order) into a file */
};

/* Answers of GetPlayerMode. */
enum {
    MPEGDLL_MODE_CLOSED = 0,  /* no input open */
    MPEGDLL_MODE_READY = 1,   /* input open, not playing (never started, stopped or ended) */
    MPEGDLL_MODE_PLAYING = 2, /* playing */
    MPEGDLL_MODE_PAUSED = 3   /* playing, paused */
};

/* Stream callbacks of Open's stream mode. Each gets the owner pointer given to Open first.
 * Booleans are single bytes (0 false, 1 true). They are called on the player's thread while
 * playing, and on the caller's thread during Open, Seek and Restart. */
typedef void (*mpegdll_open_cb)(void* owner, unsigned char* nonseekable, void** context);
typedef void (*mpegdll_close_cb)(void* owner, void* context);
typedef void (*mpegdll_restart_cb)(void* owner, void* context, unsigned char* res);
typedef void (*mpegdll_read_cb)(void* owner, void* context, void* buffer, int32_t to_read, int32_t* read,
                                unsigned char* res);
/* move_method: 0 from the start, 1 from the current position, 2 from the end; res: the new
 * position, or -1 on failure. */
typedef void (*mpegdll_seek_cb)(void* owner, void* context, int32_t numbytes, int32_t move_method,
                                int32_t* res);
/* res: the size of the stream in bytes, or -1 when unknown. */
typedef void (*mpegdll_size_cb)(void* owner, void* context, int32_t* res);

/* The 19 entry points, as function pointer types for run-time binding. */
typedef int32_t (*mpegdll_init_fn)(void);
typedef void (*mpegdll_deinit_fn)(void);
typedef void (*mpegdll_Open_fn)(const char* name, int32_t stream, mpegdll_open_cb, mpegdll_close_cb,
                                mpegdll_restart_cb, mpegdll_read_cb, mpegdll_seek_cb, mpegdll_size_cb,
                                void* owner);
typedef void (*mpegdll_Pause_fn)(int32_t resume);
typedef void (*mpegdll_Restart_fn)(void);
typedef void (*mpegdll_Stop_fn)(void);
typedef void (*mpegdll_SetPriority_fn)(int32_t priority);
typedef void (*mpegdll_SetOutputDevice_fn)(int32_t device, const char* filename);
typedef int32_t (*mpegdll_Play_fn)(int32_t start, int32_t end, unsigned char* end_reached);
typedef void (*mpegdll_Close_fn)(void);
typedef int32_t (*mpegdll_GetFrequency_fn)(void);
typedef int32_t (*mpegdll_GetBitrate_fn)(void);
typedef int32_t (*mpegdll_GetLayer_fn)(void);
typedef int32_t (*mpegdll_GetPlayerMode_fn)(void);
typedef int32_t (*mpegdll_GetCurrentPos_fn)(void);
typedef int32_t (*mpegdll_GetLength_fn)(void);
typedef void (*mpegdll_ResetPlayerMode_fn)(void);
typedef int32_t (*mpegdll_Seek_fn)(int32_t pos);
typedef int32_t (*mpegdll_LastError_fn)(void);

/* The entry points themselves. Only the library and programs that link it directly declare
 * them (define MPEGDLL_PROTOTYPES); the program binds them by name instead. */
#ifdef MPEGDLL_PROTOTYPES
/* Makes the library ready; 1 when it is. */
int32_t init(void);
/* Stops playback and closes the input. */
void deinit(void);
/* Opens an input: a file by name (stream 0), or the caller's stream through the callbacks
 * (stream 1, name unused). An open input is closed first. */
void Open(const char* name, int32_t stream, mpegdll_open_cb, mpegdll_close_cb, mpegdll_restart_cb,
          mpegdll_read_cb, mpegdll_seek_cb, mpegdll_size_cb, void* owner);
/* 0 pauses playback, 1 resumes it. */
void Pause(int32_t resume);
/* Plays the open input again from the start position given to Play. */
void Restart(void);
void Stop(void);
/* A Windows thread priority number (-15, -2, -1, 0, 1, 2, 15) for the player's thread. */
void SetPriority(int32_t priority);
/* Device code (MPEGDLL_DEVICE_*) and, for the pcmfile device, the file to write. */
void SetOutputDevice(int32_t device, const char* filename);
/* Opens the output and starts playing the open input from start to end (milliseconds; end 0 or
 * not after start: to the end of the input). *end_reached is cleared now and set to 1 when the
 * input has been played to its end. Answers 0 on success, else the error code. */
int32_t Play(int32_t start, int32_t end, unsigned char* end_reached);
void Close(void);
/* Sample rate in Hz, bit rate in kbit/s of the current frame, MPEG layer 1 to 3; 0 when no
 * input is open. */
int32_t GetFrequency(void);
int32_t GetBitrate(void);
int32_t GetLayer(void);
int32_t GetPlayerMode(void);
int32_t GetCurrentPos(void);
int32_t GetLength(void);
/* Forgets the last error. */
void ResetPlayerMode(void);
/* Moves the play position; answers 0 on success, else the error code. */
int32_t Seek(int32_t pos);
int32_t LastError(void);
#endif

#ifdef __cplusplus
}
#endif

#endif
