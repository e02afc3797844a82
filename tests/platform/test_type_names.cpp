// The type names the file lists and korvel-cli read from shared-mime-info directly must be the
// ones QMimeDatabase gives for a file matched by its name: every extension the system's glob
// list knows, in the C locale and in a translated one, plus names it does not know.
#include "core/files/SharedMimeInfo.h"
#include "core/files/TypeNames.h"

#include <QCoreApplication>
#include <QLocale>
#include <QMimeDatabase>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>

using korvel::files::SharedMimeInfo;
using korvel::files::TypeNames;

namespace {

// What the file lists showed when they asked QMimeDatabase.
std::string qtTypeName(const std::string& key) {
    static QMimeDatabase db;
    const QMimeType mt =
        db.mimeTypeForFile(QStringLiteral("x.") + QString::fromStdString(key), QMimeDatabase::MatchExtension);
    QString n;
    if (mt.isValid() && !mt.isDefault())
        n = mt.comment();
    if (n.isEmpty())
        n = QString::fromStdString(key).toUpper() + QStringLiteral(" File");
    n.truncate(80);
    return n.toStdString();
}

// Every extension of a "*.ext" glob, lower-cased, and a few the list does not hold.
std::set<std::string> knownExtensions() {
    std::set<std::string> keys{"zzqx", "diz", "a", "tar", "gz", "mp3", "zip", "c", "h", "txt", "kvl"};
    for (const std::string& dir : SharedMimeInfo::defaultDirs()) {
        std::ifstream in(dir + "/globs2");
        std::string line;
        while (std::getline(in, line)) {
            const auto star = line.find(":*.");
            if (line.empty() || line[0] == '#' || star == std::string::npos)
                continue;
            std::string ext = line.substr(star + 3);
            ext = ext.substr(0, ext.find(':'));
            if (ext.find_first_of("*?[") != std::string::npos || ext.find('.') != std::string::npos)
                continue;
            for (char& c : ext)
                if (c >= 'A' && c <= 'Z')
                    c = static_cast<char>(c - 'A' + 'a');
            keys.insert(ext);
        }
    }
    return keys;
}

class SameAsQt : public ::testing::TestWithParam<const char*> {};

TEST_P(SameAsQt, ForEveryKnownExtension) {
    ::setenv("LC_ALL", GetParam(), 1);
    QLocale::setDefault(QLocale(QString::fromLatin1(GetParam())));
    const SharedMimeInfo mime(SharedMimeInfo::defaultDirs());
    const auto keys = knownExtensions();
    ASSERT_GT(keys.size(), 500u) << "is shared-mime-info installed?";
    int differ = 0;
    for (const std::string& key : keys) {
        const std::string ours = TypeNames::nameForExtension(mime, key);
        const std::string qt = qtTypeName(key);
        if (ours != qt && ++differ <= 20)
            ADD_FAILURE() << "." << key << ": ours \"" << ours << "\", QMimeDatabase \"" << qt << "\"";
    }
    EXPECT_EQ(differ, 0);
}

INSTANTIATE_TEST_SUITE_P(Locales, SameAsQt, ::testing::Values("C", "de_DE"));

TEST(TypeNames, FixedKinds) {
    TypeNames names;
    auto& keys = names.keys();
    EXPECT_EQ(names.name(keys.idFor(korvel::files::EntryKind::Dir, "x")), "File folder");
    EXPECT_EQ(names.name(keys.idFor(korvel::files::EntryKind::Drive, "x")), "Drive");
    EXPECT_EQ(names.name(keys.idFor(korvel::files::EntryKind::File, "README")), "File");
    EXPECT_EQ(names.name(keys.idFor(korvel::files::EntryKind::File, "a.ZZQX")), "ZZQX File");
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
