#pragma once
// TMPEGPlayer: the playback component. It finds the decoder library (libmpegdll.so), binds its
// entry points, keeps the play state, turns the library's error codes into TMPEGError and can
// report the playing position through a timer. The library plays on a thread of its own; the one
// datum shared with it is the end-of-playback byte, read by the timer without a lock.

#include "engineclient/MpegDllLibrary.h"

#include <QFile>
#include <QObject>
#include <QString>
#include <functional>
#include <stdexcept>

class QTimer;

namespace korvel {

// A playback failure: the message the user is shown and the library's error code. Derived from
// the general exception class, so the program's general error display shows it like any other.
class TMPEGError : public std::runtime_error {
public:
    TMPEGError(const QString& message, quint8 code)
        : std::runtime_error(message.toStdString()), message_(message), code_(code) {}
    quint8 ErrorCode() const { return code_; }
    const QString& message() const { return message_; }
    // The message for a library error code (PlayerErrorTexts).
    static QString textFor(qint32 code);

private:
    QString message_;
    quint8 code_;
};

class TMPEGPlayer : public QObject {
    Q_OBJECT
public:
    enum TPlayPriority { Idle, Lowest, BelowNormal, Normal, AboveNormal, Highest, TimeCritical };
    Q_ENUM(TPlayPriority)
    enum TOutputDevice { wavemapper, pcmfile };
    Q_ENUM(TOutputDevice)

private:
    Q_PROPERTY(bool Seekable READ Seekable WRITE setSeekable)
    Q_PROPERTY(bool FromStream READ FromStream WRITE setFromStream)
    Q_PROPERTY(TPlayPriority PlayerPriority READ PlayerPriority WRITE setPlayerPriority)
    Q_PROPERTY(bool UseTimer READ UseTimer WRITE setUseTimer)
    Q_PROPERTY(int TimerFreq READ TimerFreq WRITE setTimerFreq)
    Q_PROPERTY(bool AutoPlay READ AutoPlay WRITE setAutoPlay)
    Q_PROPERTY(QString StreamName READ StreamName WRITE setStreamName)
    Q_PROPERTY(TOutputDevice OutputDevice READ OutputDevice WRITE setOutputDevice)
    Q_PROPERTY(QString OutFilename READ OutFilename WRITE setOutFilename)
    Q_PROPERTY(QString PathToDLL READ PathToDLL WRITE setPathToDLL)
    Q_PROPERTY(int StartPos READ StartPos WRITE setStartPos)
    Q_PROPERTY(int EndPos READ EndPos WRITE setEndPos)
    Q_PROPERTY(int PlayedXTimes READ PlayedXTimes)

public:
    // Events. The stream events are called on the library's player thread while it plays.
    using TOpenStreamEvent = std::function<void(bool& Nonseekable, void*& Context)>;
    using TCloseStreamEvent = std::function<void(void* Context)>;
    using TRestartStreamEvent = std::function<void(void* Context, bool& res)>;
    using TGetStreamSizeEvent = std::function<void(void* Context, int& res)>;
    using TSeekStreamEvent = std::function<void(void* Context, int numbytes, int MoveMethod, int& res)>;
    using TReadStreamEvent = std::function<void(void* Context, void* read_buffer, int nNumberOfBytesToRead,
                                                int& nNumberOfBytesRead, bool& res)>;
    using TPosUpdateEvent = std::function<void(int Pos, int Len)>;
    using TNotifyEvent = std::function<void(QObject* Sender)>;

    TOpenStreamEvent OnOpenStream;
    TCloseStreamEvent OnCloseStream;
    TRestartStreamEvent OnRestartStream;
    TGetStreamSizeEvent OnGetStreamSize;
    TSeekStreamEvent OnSeekStream;
    TReadStreamEvent OnReadStream;
    TPosUpdateEvent OnPosUpdate;
    TNotifyEvent OnPlayEnd;

    explicit TMPEGPlayer(QObject* parent = nullptr);
    ~TMPEGPlayer() override;

    bool Seekable() const { return Seekable_; }
    void setSeekable(bool v) { Seekable_ = v; }
    bool FromStream() const { return FromStream_; }
    void setFromStream(bool v) { FromStream_ = v; }
    TPlayPriority PlayerPriority() const;
    void setPlayerPriority(TPlayPriority p);
    bool UseTimer() const { return UseTimer_; }
    void setUseTimer(bool v) { UseTimer_ = v; }
    int TimerFreq() const { return TimerFreq_; }
    void setTimerFreq(int ms);
    bool AutoPlay() const { return AutoPlay_; }
    void setAutoPlay(bool v) { AutoPlay_ = v; }
    QString StreamName() const { return StreamName_; }
    void setStreamName(const QString& name);
    TOutputDevice OutputDevice() const { return DeviceCode != 0 ? pcmfile : wavemapper; }
    void setOutputDevice(TOutputDevice d);
    QString OutFilename() const { return OutFilename_; }
    void setOutFilename(const QString& f) { OutFilename_ = f; }
    QString PathToDLL() const { return PathToDLL_; }
    void setPathToDLL(const QString& p) { PathToDLL_ = p; }
    int StartPos() const { return StartPos_; }
    void setStartPos(int v) { StartPos_ = v; }
    int EndPos() const { return EndPos_; }
    void setEndPos(int v) { EndPos_ = v; }
    int PlayedXTimes() const { return PlayedXTimes_; }

    // Operations; each raises TMPEGError.
    void LoadDecoder();
    void OpenInput();
    void StartPlayback();
    void PausePlayback(bool pause);
    void StopPlayback();
    void RestartPlayback();
    void CloseInput();
    qint32 CurrentPosition();
    qint32 InputLength();
    void TimerTick();

    // The play state, for the window and its tests.
    bool IsOpen() const { return IsOpen_; }
    bool IsPlaying() const { return IsPlaying_; }
    bool IsPaused() const { return IsPaused_; }
    bool EndReached() const;
    qint32 LastErrorCode() const { return LastErrorCode_; }
    qint32 StreamLength() const { return StreamLength_; }
    bool libraryLoaded() const { return Library.isLoaded(); }
    // The library file in use (empty when none is loaded).
    QString libraryFile() const {
        return Library.isLoaded() ? QFile::decodeName(QByteArray::fromStdString(Library.fileName()))
                                  : QString();
    }
    QTimer* positionTimer() const { return PositionTimer; }
    // The Windows thread priority number of a priority, and back (unlisted numbers: Normal).
    static qint32 priorityNumber(TPlayPriority p);
    static TPlayPriority priorityFromNumber(qint32 n);

private:
    void requireLibrary() const;
    void check();
    [[noreturn]] void raise(qint32 code);
    void startTimer();
    void setEndReached(bool v);
    void onTimer();

    static void streamOpen(void* owner, unsigned char* nonseekable, void** context);
    static void streamClose(void* owner, void* context);
    static void streamRestart(void* owner, void* context, unsigned char* res);
    static void streamRead(void* owner, void* context, void* buffer, int32_t toRead, int32_t* read,
                           unsigned char* res);
    static void streamSeek(void* owner, void* context, int32_t numbytes, int32_t moveMethod, int32_t* res);
    static void streamSize(void* owner, void* context, int32_t* res);

    bool Seekable_ = false, FromStream_ = false, UseTimer_ = false, AutoPlay_ = false;
    int TimerFreq_ = 0;
    QString StreamName_, OutFilename_, PathToDLL_;
    int StartPos_ = 0, EndPos_ = 0, PlayedXTimes_ = 0;

    MpegDllLibrary Library; // LibraryHandle and the 19 entry points
    bool IsOpen_ = false, IsPlaying_ = false, IsPaused_ = false;
    alignas(4) unsigned char EndReached_ = 0; // written by the library's player thread
    qint32 PriorityValue = 0;
    qint32 DeviceCode = 0;
    QTimer* PositionTimer = nullptr;
    qint32 StreamLength_ = 0;
    qint32 LastErrorCode_ = 0;
};

} // namespace korvel
