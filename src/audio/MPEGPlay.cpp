#include "audio/MPEGPlay.h"

#include "platform/PathText.h"
#include "platform/Prompts.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>
#include <atomic>

namespace korvel {

namespace {

constexpr quint8 kNonSpecifiedStream = 254;

const qint32 kPriorityNumbers[7] = {-15, -2, -1, 0, 1, 2, 15};

TMPEGPlayer* self(void* owner) {
    return static_cast<TMPEGPlayer*>(owner);
}

} // namespace

QString TMPEGError::textFor(qint32 code) {
    return QString::fromStdString(MpegDllLibrary::errorText(code));
}

TMPEGPlayer::TMPEGPlayer(QObject* parent) : QObject(parent) {}

TMPEGPlayer::~TMPEGPlayer() {
    // The library writes the end byte of this object while it plays: it is stopped and the input
    // closed before the byte goes away.
    if (Library.isLoaded()) {
        if (IsPlaying_ && !EndReached())
            Library.Stop();
        if (IsOpen_)
            Library.Close();
    }
}

qint32 TMPEGPlayer::priorityNumber(TPlayPriority p) {
    int i = static_cast<int>(p);
    return i >= 0 && i < 7 ? kPriorityNumbers[i] : 0;
}

TMPEGPlayer::TPlayPriority TMPEGPlayer::priorityFromNumber(qint32 n) {
    for (int i = 0; i < 7; ++i)
        if (kPriorityNumbers[i] == n)
            return static_cast<TPlayPriority>(i);
    return Normal;
}

TMPEGPlayer::TPlayPriority TMPEGPlayer::PlayerPriority() const {
    return priorityFromNumber(PriorityValue);
}

void TMPEGPlayer::setPlayerPriority(TPlayPriority p) {
    PriorityValue = priorityNumber(p);
    if (Library.isLoaded()) {
        Library.SetPriority(PriorityValue);
        check();
    }
}

void TMPEGPlayer::setTimerFreq(int ms) {
    TimerFreq_ = ms;
    if (ms == 0)
        UseTimer_ = false;
}

void TMPEGPlayer::setStreamName(const QString& name) {
    if (IsOpen_)
        CloseInput();
    StreamName_ = name;
}

void TMPEGPlayer::setOutputDevice(TOutputDevice d) {
    DeviceCode = d == pcmfile && !OutFilename_.isEmpty() ? 2 : 0;
}

bool TMPEGPlayer::EndReached() const {
    return std::atomic_ref<unsigned char>(const_cast<unsigned char&>(EndReached_)).load() != 0;
}

void TMPEGPlayer::setEndReached(bool v) {
    std::atomic_ref<unsigned char>(EndReached_).store(v ? 1 : 0);
}

void TMPEGPlayer::requireLibrary() const {
    if (!Library.isLoaded())
        throw TMPEGError(TMPEGError::textFor(0), 0);
}

void TMPEGPlayer::raise(qint32 code) {
    throw TMPEGError(TMPEGError::textFor(code), static_cast<quint8>(code));
}

void TMPEGPlayer::check() {
    LastErrorCode_ = Library.LastError();
    if (LastErrorCode_ > 0)
        raise(LastErrorCode_);
}

void TMPEGPlayer::LoadDecoder() {
    switch (Library.load(QFile::encodeName(PathToDLL_).toStdString())) {
    case MpegDllLibrary::Result::CannotLoad:
        throw TMPEGError(QStringLiteral("Can't load MPEG library"), 0);
    case MpegDllLibrary::Result::MissingEntry:
        raise(0);
    case MpegDllLibrary::Result::Loaded:
        break;
    }
    if (!Library.init()) {
        LastErrorCode_ = Library.LastError();
        Library.release(); // not used further
        raise(LastErrorCode_);
    }
    if (!PositionTimer) {
        PositionTimer = new QTimer(this);
        PositionTimer->setObjectName(QStringLiteral("PositionTimer"));
        connect(PositionTimer, &QTimer::timeout, this, &TMPEGPlayer::onTimer);
    }
    PositionTimer->stop();
    PositionTimer->setInterval(UseTimer_ ? TimerFreq_ : 0);
    StreamLength_ = 0;
}

void TMPEGPlayer::OpenInput() {
    requireLibrary();
    if (IsOpen_)
        CloseInput();
    IsOpen_ = false;
    if (FromStream_) {
        Library.Open(nullptr, 1, &streamOpen, &streamClose, &streamRestart, &streamRead, &streamSeek,
                     &streamSize, this);
    } else {
        if (StreamName_.isEmpty())
            throw TMPEGError(QStringLiteral("Can't play non-specified stream"), kNonSpecifiedStream);
        // The whole name: a name cut short would open another file, or none.
        const QByteArray name = QByteArray::fromStdString(pathBytes(StreamName_));
        Library.Open(name.constData(), 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    }
    check();
    IsOpen_ = true;
    PlayedXTimes_ = 1;
    StreamLength_ = InputLength();
    if (AutoPlay_)
        StartPlayback();
}

void TMPEGPlayer::StartPlayback() {
    requireLibrary();
    if (IsPaused_) {
        PausePlayback(false);
        return;
    }
    if (IsPlaying_) {
        if (!EndReached())
            return;
        IsPlaying_ = false; // played to its end: a new press plays it again
    }
    if (!IsOpen_) {
        OpenInput();
        if (IsPlaying_)
            return; // AutoPlay started it
    }
    if (!IsOpen_)
        return;
    if (PlayedXTimes_ > 1) {
        RestartPlayback();
        return;
    }
    Library.SetPriority(PriorityValue);
    check();
    const QByteArray out = QByteArray::fromStdString(pathBytes(OutFilename_));
    Library.SetOutputDevice(DeviceCode, out.constData());
    check();
    qint32 r = Library.Play(StartPos_, EndPos_, &EndReached_);
    LastErrorCode_ = Library.LastError();
    if (LastErrorCode_ > 0 || r != 0)
        raise(LastErrorCode_);
    IsPlaying_ = true;
    ++PlayedXTimes_;
    startTimer();
}

void TMPEGPlayer::startTimer() {
    if (UseTimer_ && PositionTimer && PositionTimer->interval() != 0) {
        PositionTimer->start();
        TimerTick();
    }
}

void TMPEGPlayer::PausePlayback(bool pause) {
    requireLibrary();
    if (!IsPlaying_ || EndReached()) {
        IsPaused_ = false;
        if (pause)
            raise(2);
        return;
    }
    Library.Pause(pause ? 0 : 1);
    check();
    IsPaused_ = pause;
}

void TMPEGPlayer::StopPlayback() {
    if (!IsPlaying_)
        return;
    if (!EndReached() && Library.isLoaded()) {
        Library.Stop();
        LastErrorCode_ = Library.LastError();
    }
    // Stopped, whatever the library answered: the next start plays again.
    IsPlaying_ = false;
    IsPaused_ = false;
}

void TMPEGPlayer::RestartPlayback() {
    requireLibrary();
    if (!IsOpen_)
        raise(2);
    setEndReached(false);
    Library.Restart();
    check();
    IsPlaying_ = true;
    IsPaused_ = false;
    ++PlayedXTimes_;
    startTimer();
}

void TMPEGPlayer::CloseInput() {
    requireLibrary();
    IsOpen_ = false;
    IsPaused_ = false;
    IsPlaying_ = false;
    PlayedXTimes_ = 0;
    Library.Close();
    check();
}

qint32 TMPEGPlayer::CurrentPosition() {
    requireLibrary();
    qint32 pos = Library.GetCurrentPos();
    check();
    return pos;
}

qint32 TMPEGPlayer::InputLength() {
    requireLibrary();
    qint32 len = Library.GetLength();
    check();
    return len;
}

void TMPEGPlayer::TimerTick() {
    if (!IsOpen_ || !IsPlaying_) {
        if (PositionTimer)
            PositionTimer->stop();
        return;
    }
    qint32 pos = 0;
    try {
        pos = CurrentPosition();
    } catch (const TMPEGError&) {
        // One message, not one per tick.
        PositionTimer->stop();
        throw;
    }
    if (pos > StreamLength_)
        pos = 0;
    if (OnPosUpdate)
        OnPosUpdate(pos, StreamLength_);
    if (EndReached()) {
        PositionTimer->stop();
        IsPlaying_ = false;
        if (OnPlayEnd) {
            setEndReached(false);
            OnPlayEnd(this);
        }
    }
}

void TMPEGPlayer::onTimer() {
    // The timer's tick is an event of its own: its failure goes to the general error display.
    try {
        TimerTick();
    } catch (const TMPEGError& e) {
        Prompts::current().showError(nullptr, QCoreApplication::applicationName(), e.message());
    }
}

void TMPEGPlayer::streamOpen(void* owner, unsigned char* nonseekable, void** context) {
    bool ns = *nonseekable != 0;
    void* ctx = nullptr;
    if (self(owner)->OnOpenStream)
        self(owner)->OnOpenStream(ns, ctx);
    *nonseekable = ns ? 1 : 0;
    *context = ctx;
}

void TMPEGPlayer::streamClose(void* owner, void* context) {
    if (self(owner)->OnCloseStream)
        self(owner)->OnCloseStream(context);
}

void TMPEGPlayer::streamRestart(void* owner, void* context, unsigned char* res) {
    bool ok = false;
    if (self(owner)->OnRestartStream)
        self(owner)->OnRestartStream(context, ok);
    *res = ok ? 1 : 0;
}

void TMPEGPlayer::streamRead(void* owner, void* context, void* buffer, int32_t toRead, int32_t* read,
                             unsigned char* res) {
    bool ok = false;
    int got = 0;
    if (self(owner)->OnReadStream)
        self(owner)->OnReadStream(context, buffer, toRead, got, ok);
    *read = got;
    *res = ok ? 1 : 0;
}

void TMPEGPlayer::streamSeek(void* owner, void* context, int32_t numbytes, int32_t moveMethod, int32_t* res) {
    int r = -1;
    if (self(owner)->OnSeekStream)
        self(owner)->OnSeekStream(context, numbytes, moveMethod, r);
    *res = r;
}

void TMPEGPlayer::streamSize(void* owner, void* context, int32_t* res) {
    int r = -1;
    if (self(owner)->OnGetStreamSize)
        self(owner)->OnGetStreamSize(context, r);
    *res = r;
}

} // namespace korvel
