// The volumes come from the mount table, are looked up once and again only when the table
// changes, and keep mount points with blanks and Latin-1 bytes exactly.
#include "QtFiles.h"
#include "platform/PathText.h"
#include "platform/Volumes.h"

#include <QtTest>

#include <filesystem>

using namespace korvel;
using namespace korvel::test;

class TestVolumes : public QObject {
    Q_OBJECT
    QtTempDir tmp;
    std::string table;

    void writeTable(const std::string& text) { writeFile(table, text); }
    static std::string line(int id, const std::string& point, const std::string& fs, const std::string& dev) {
        return std::to_string(id) + " 1 8:1 / " + point + " rw,relatime shared:1 - " + fs + " " + dev +
               " rw\n";
    }

private slots:
    void initTestCase() {
        QVERIFY(tmp.isValid());
        const std::string t = pathBytes(tmp.path());
        table = t + "/mountinfo";
        std::filesystem::create_directories(t + "/usb stick");
        std::filesystem::create_directories(t + "/caf\xe9");
        writeFile(t + "/hosts", "a file mounted over a file");
        Volumes::setMountTable(pathText(table));
    }
    void cleanupTestCase() { Volumes::setMountTable("/proc/self/mountinfo"); }

    void tableDecidesAndIsReadOnce() {
        const std::string t = pathBytes(tmp.path());
        writeTable(line(1, "/", "ext4", "/dev/sda1") + line(2, t + "/usb\\040stick", "vfat", "/dev/sdb1") +
                   line(3, "/mnt/share", "nfs4", "server:/x") + line(4, "/proc", "proc", "proc") +
                   line(5, t + "/caf\\351", "ext4", "/dev/sdb2") +
                   line(6, t + "/hosts", "ext4", "/dev/sda1") +
                   line(7, "/snap/core", "squashfs", "/dev/loop0") + line(8, "/gone", "ext4", "/dev/sdc1"));
        const int before = Volumes::lookups();
        const QStringList expected{"/", "/mnt/share", pathText(t + "/caf\xe9"), pathText(t + "/usb stick")};
        for (int i = 0; i < 50; ++i)
            QCOMPARE(Volumes::roots(), expected);
        QCOMPARE(Volumes::lookups(), before + 1);
        QCOMPARE(pathBytes(Volumes::drivePart(pathText(t + "/caf\xe9/x/y.zip"))), t + "/caf\xe9");
        QCOMPARE(Volumes::drivePart(pathText(t + "/usb stick/a")), pathText(t + "/usb stick"));
        QCOMPARE(Volumes::lookups(), before + 1);

        // A new mount: the next question sees it.
        std::filesystem::create_directories(t + "/new");
        writeTable(line(1, "/", "ext4", "/dev/sda1") + line(9, t + "/new", "ext4", "/dev/sdd1"));
        QCOMPARE(Volumes::roots(), (QStringList{"/", pathText(t + "/new")}));
        QCOMPARE(Volumes::lookups(), before + 2);
        const QList<Volume> withSizes = Volumes::mounted();
        QCOMPARE(withSizes.size(), 2);
        QVERIFY(withSizes[0].total > 0); // the sizes are asked for the drive listing
        QCOMPARE(Volumes::lookups(), before + 2);
    }
};

QTEST_GUILESS_MAIN(TestVolumes)
#include "test_volumes.moc"
