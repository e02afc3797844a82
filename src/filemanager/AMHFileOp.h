#pragma once
// TAMHFileOp: one copy, move, delete or rename of a list of files, done by the file operation
// engine. The engine asks its questions (overwrite, create a folder, confirm a delete) through the
// program's prompts, and work that lasts more than a moment shows a progress window with Cancel.
// The component itself never confirms, reports or refreshes anything else; that is its caller's
// part.

#include <QObject>
#include <QString>

class QWidget;

namespace korvel {

class TAMHFileOp : public QObject {
    Q_OBJECT
public:
    enum TFileOp { foCopy, foDelete, foMove, foRename };
    Q_ENUM(TFileOp)
    enum TFileOpFlag {
        fofAllowUndo = 1 << 0,
        fofConfirmMouse = 1 << 1,
        fofFilesOnly = 1 << 2,
        fofMultiDestFiles = 1 << 3,
        fofNoConfirmation = 1 << 4,
        fofNoConfirmMkDir = 1 << 5,
        fofRenameOnCollision = 1 << 6,
        fofSilent = 1 << 7,
        fofSimpleProgress = 1 << 8,
        fofWantMappingHandle = 1 << 9,
    };
    Q_DECLARE_FLAGS(TFileOpFlags, TFileOpFlag)
    Q_FLAG(TFileOpFlags)

private:
    Q_PROPERTY(QString FilesFrom MEMBER FilesFrom)
    Q_PROPERTY(QString FilesTo MEMBER FilesTo)
    Q_PROPERTY(TFileOpFlags Flags READ flags WRITE setFlags)
    Q_PROPERTY(TFileOp Operation MEMBER Operation)

public:
    explicit TAMHFileOp(QObject* owner = nullptr);

    // Source paths joined by ";" (a name containing ";" cannot be carried: it is split).
    QString FilesFrom;
    // A destination folder, or with fofMultiDestFiles a ";"-list matching FilesFrom; empty for
    // a delete; the new name(s) for a rename.
    QString FilesTo;
    TFileOpFlags Flags;
    TFileOp Operation = foCopy;

    // Runs the operation described by the four properties; true only when everything asked was
    // done. Returns when the work is finished or cancelled; the window stays responsive meanwhile.
    bool Execute();

    // The operation code and the 16-bit option bits of the shell's file operation record.
    static int shellOperation(TFileOp op);
    static unsigned shellFlags(TFileOpFlags flags);

    TFileOpFlags flags() const { return Flags; }
    void setFlags(TFileOpFlags f) { Flags = f; }

    // How long work runs before its progress window appears (milliseconds).
    static int progressDelayMs;

private:
    QWidget* ownerWindow() const;
    bool running_ = false;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TAMHFileOp::TFileOpFlags)

} // namespace korvel
