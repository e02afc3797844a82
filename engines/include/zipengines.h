/* The call interface of the two archive engines, libzip32.so and libunzip32.so, shared by the
 * engines and the program. It follows the Info-ZIP library call interface: the records are
 * laid out field for field in the order the program fills them.
 *
 * Strings are 8-bit and NUL-terminated; on Linux they are UTF-8 (file names as the file system
 * holds them). Booleans are 32-bit: the program writes true as -1 (all bits set) and false as 0;
 * the engines treat every non-zero value as true. */
#ifndef KORVEL_ZIPENGINES_H
#define KORVEL_ZIPENGINES_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define ZE_API __declspec(dllexport)
#else
#define ZE_API __attribute__((visibility("default")))
#endif

typedef int32_t ZE_BOOL;

/* ---- zip engine (libzip32.so) ------------------------------------------------------------ */

/* Zip options. The engine keeps the last options it accepted for the life of the process and
 * applies them to every ZpArchive. */
typedef struct {
    ZE_BOOL fSystem;        /* include hidden files (names starting with ".") found in folders */
    ZE_BOOL fVolume;        /* include volume label (no such thing here: accepted, ignored) */
    ZE_BOOL fExtra;         /* leave out extra attributes (Unix permissions, exact time stamps) */
    ZE_BOOL fJunkDir;       /* store bare file names, without their folders */
    ZE_BOOL fGrow;          /* add to an existing archive; off: a new archive replaces the old */
    ZE_BOOL fMove;          /* delete the added files once the archive is safely written */
    ZE_BOOL fDeleteEntries; /* delete the named members (patterns allowed) from the archive */
    ZE_BOOL fUpdate;        /* add new files, replace members only by newer files */
    ZE_BOOL fFreshen;       /* replace existing members by newer files, add nothing new */
    ZE_BOOL fLatestTime;    /* set the archive's time to that of its newest member */
    int32_t fRecurse;       /* non-zero: recurse into named folders */
    char fLevel;            /* compression level '0' (store) to '9'; anything else is refused */
} ZPOPT;

/* Zip call: argc names from FNV are added to lpszZipFN. */
typedef struct {
    int32_t argc;
    char* lpszZipFN;
    char** FNV;
} ZCL;

/* Zip callbacks. print: a message of the engine ("  adding: name"), returns the length taken.
 * comment: asked for an archive comment (unused by this engine), returns the comment text.
 * password: asked for a password (unused by this engine). service: called with each file's name
 * and size before it is added; a non-zero answer cancels the whole operation, leaving the
 * archive untouched. */
typedef int (*ZDLLPRNT)(char* text, unsigned long length);
typedef char* (*ZDLLCOMMENT)(char* text);
typedef int (*ZDLLPASSWORD)(char* buffer, int size, const char* prompt, const char* name);
typedef int (*ZDLLSERVICE)(const char* name, unsigned long size);

typedef struct {
    ZDLLPRNT print;
    ZDLLCOMMENT comment;
    ZDLLPASSWORD password;
    ZDLLSERVICE ServiceApplication;
} ZIPUSERFUNCTIONS;

/* Results of ZpArchive. */
enum {
    ZE_OK = 0,     /* success */
    ZE_FORM = 3,   /* the existing archive is damaged or not an archive */
    ZE_MEM = 4,    /* out of memory */
    ZE_ABORT = 9,  /* cancelled by the service callback */
    ZE_TEMP = 10,  /* the new archive could not be written */
    ZE_READ = 11,  /* a file to add could not be read */
    ZE_NONE = 12,  /* nothing to do */
    ZE_NAME = 13,  /* a name matched nothing */
    ZE_PARMS = 16, /* bad arguments */
    ZE_OPEN = 18   /* a file to add could not be opened */
};

/* Stores the callbacks (copied) for the following calls; returns 1 (0 for a null record). */
ZE_API int ZpInit(const ZIPUSERFUNCTIONS* lpZipUserFunc);
/* Takes a filled options record; returns 1 when accepted, 0 when refused (null record, or a
 * level that is not a digit). A refused record leaves the previous options in force. */
ZE_API int ZpSetOptions(const ZPOPT* lpOpts);
/* The options in force: the last accepted ones, or the engine's initial options (grow on,
 * level '6', everything else off). */
ZE_API ZPOPT ZpGetOptions(void);
/* Adds (or with fDeleteEntries deletes) the named files. Returns ZE_OK or one of the errors
 * above; on any error the archive is left exactly as it was. */
ZE_API int ZpArchive(ZCL C);
/* The version values the program checks: "CompanyName" and "FileVersion". Other names give
 * NULL. The returned strings are static. */
ZE_API const char* ZpVersionValue(const char* name);

/* ---- unzip engine (libunzip32.so) -------------------------------------------------------- */

/* Unzip request: the first fifteen fields are 32-bit integers (0 or 1 unless said otherwise). */
typedef struct {
    int32_t ExtractOnlyNewer;  /* extract only members newer than files already on disk */
    int32_t SpaceToUnderscore; /* turn blanks in names into "_" when writing files */
    int32_t PromptToOverwrite; /* ask the replace callback before overwriting */
    int32_t fQuiet;            /* 0: report each extracted member through print; 1, 2: quiet */
    int32_t ncflag;            /* 1: print request, member bytes go to the print callback */
    int32_t ntflag;            /* 1: test the members (read and check CRC), write nothing */
    int32_t nvflag;            /* 1: listing request, one message callback per member */
    int32_t nUflag;            /* extract newer members and members not yet on disk */
    int32_t nzflag;            /* 1: print the archive comment */
    int32_t ndflag;            /* 1: extract with the members' folders */
    int32_t noflag;            /* 1: overwrite existing files without asking */
    int32_t naflag;            /* (text conversion: not done, accepted) */
    int32_t nZIflag;           /* (listing detail: accepted) */
    int32_t C_flag;            /* 1: member names match without regard to case */
    int32_t fPrivilege;        /* (privileges: accepted) */
    char* lpszZipFN;           /* archive path */
    char* lpszExtractDir;      /* destination folder, created when missing; NULL or "": current */
} DCL;

/* Unzip callbacks.
 * print: text and its length; the text is also NUL-terminated after `length` bytes. For a
 *   print request each member arrives in one piece (at most UZ_PRINT_LIMIT bytes).
 * replace: asked before an existing file is overwritten when PromptToOverwrite is set; answer
 *   UZ_REPLACE_YES or UZ_REPLACE_ALL to overwrite, anything else keeps the file.
 * password: asked for an encrypted member; answer 0 with a password written into the buffer to
 *   use it, anything else skips the member.
 * message: one call per member for a listing request (year is the year modulo 100).
 * service: called with each member's name and size before it is extracted; non-zero stops. */
typedef int (*DLLPRNT)(char* text, unsigned long length);
typedef void (*DLLSND)(void);
typedef int (*DLLREPLACE)(char* name);
typedef int (*DLLPASSWORD)(char* buffer, int size, const char* prompt, const char* name);
typedef void (*DLLMESSAGE)(uint64_t ucsize, uint64_t csize, unsigned cfactor, unsigned mo, unsigned dy,
                           unsigned yr, unsigned hh, unsigned mm, char c, const char* filename,
                           const char* methbuf, unsigned long crc, char fCrypt);
typedef int (*DLLSERVICE)(const char* name, unsigned long size);

typedef struct {
    DLLPRNT print;
    DLLSND sound;
    DLLREPLACE replace;
    DLLPASSWORD password;
    DLLMESSAGE SendApplicationMessage;
    DLLSERVICE ServCallBk;
    /* totals of the last listing (or print request, see UZ_PRINT_LIMIT), filled by the engine */
    uint64_t TotalSizeComp;
    uint64_t TotalSize;
    int32_t CompFactor;
    uint32_t NumMembers;
    uint32_t cchComment;
} USERFUNCTIONS;

enum { UZ_REPLACE_NO = 100, UZ_REPLACE_YES = 102, UZ_REPLACE_ALL = 103, UZ_REPLACE_NONE = 104 };

/* At most this many bytes of a print request reach the print callback (per call): a member
 * that inflates beyond it is delivered cut at this bound and counts as delivered. After a print
 * request the totals say what was delivered: NumMembers the members, TotalSize the bytes they
 * hold, which is more than the bytes delivered exactly when the delivery was cut. */
#define UZ_PRINT_LIMIT (4u * 1024u * 1024u)

/* Results of Wiz_SingleEntryUnzip. */
enum {
    PK_OK = 0,      /* everything requested was done */
    PK_WARN = 1,    /* done, but some members were skipped (unsafe name, not newer, kept) */
    PK_ERR = 2,     /* a member's data is damaged (CRC, bad compressed data, truncated) */
    PK_MEM = 5,     /* out of memory */
    PK_NOZIP = 9,   /* not an archive, or its directory is damaged */
    PK_PARAM = 10,  /* bad arguments */
    PK_FIND = 11,   /* no member matched */
    PK_DISK = 50,   /* a file or folder could not be written */
    PK_CANCEL = 80, /* stopped by the service callback */
    PK_UNSUPP = 81, /* members compressed with a method the engine does not decode were skipped */
    PK_BADPWD = 82  /* encrypted members were skipped (no or wrong password) */
};

/* One request: listing (nvflag), print (ncflag) or extraction. ifnc/ifnv name the members to
 * include (0/NULL: all), xfnc/xfnv those to exclude; names may hold the patterns * ? [...]. */
ZE_API int Wiz_SingleEntryUnzip(int ifnc, char** ifnv, int xfnc, char** xfnv, DCL* lpDCL,
                                USERFUNCTIONS* lpUserFunc);

#ifdef __cplusplus
}
#endif

#endif /* KORVEL_ZIPENGINES_H */
