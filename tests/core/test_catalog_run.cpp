// The catalogue's walk, worker pool, cache and job over a folder tree made here, with a
// description source that answers from the file's own bytes.
#include "ArchiveFixtures.h"
#include "core/catalog/CatalogCache.h"
#include "core/catalog/CatalogJob.h"
#include "core/catalog/CatalogRun.h"
#include "core/catalog/FolderWalk.h"
#include "core/catalog/SourceByFormat.h"

#include <gtest/gtest.h>
#include <mutex>
#include <set>
#include <thread>

using namespace korvel::catalog;
using namespace korvel::test;

namespace {

// Answers with the file's bytes after "PK\3\4" as its description; counts calls and threads, and
// can pull the stop flag after a number of calls.
class FakeSource : public DescriptionSource {
public:
    Finding find(const std::string& path, std::string_view) const override {
        {
            std::lock_guard<std::mutex> g(m_);
            threads_.insert(std::this_thread::get_id());
            ++calls_;
            if (stopAfter_ && calls_ >= stopAfter_)
                stop_->store(true);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        Finding f;
        const std::string bytes = readFile(path);
        if (bytes.size() <= 4) {
            f.status = FindStatus::Damaged;
            f.reason = "short";
        } else {
            f.status = FindStatus::Found;
            f.member = "file_id.diz";
            f.bytes = bytes.substr(4);
        }
        return f;
    }
    std::string signature() const override { return signature_; }

    std::string signature_ = "fake";
    mutable std::mutex m_;
    mutable std::set<std::thread::id> threads_;
    mutable std::size_t calls_ = 0;
    std::size_t stopAfter_ = 0;
    std::atomic<bool>* stop_ = nullptr;
};

std::vector<std::string> names(const std::vector<ArchiveFile>& a) {
    std::vector<std::string> out;
    for (const auto& f : a)
        out.push_back(f.name);
    return out;
}

class CatalogTree : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string pk = "PK\x03\x04";
        writeFile(t / "files/b.zip", pk + "bee");
        writeFile(t / "files/A.ZIP", pk + "ay");
        writeFile(t / "files/with blank.zip", pk + "blank");
        writeFile(t / "files/caf\xE9.zip", pk + "latin");
        writeFile(t / "files/notes.txt", "not an archive");
        writeFile(t / "files/renamed.bin", pk + "by content");
        writeFile(t / "files/broken.zip", "xx");
        writeFile(t / "files/sub/deeper/C.zip", pk + "sea");
        writeFile(t / "files/sub/d.7z", std::string("7z\xBC\xAF\x27\x1C", 6));
        fs::create_directory_symlink(t / "files", t / "files/sub/loop");
    }
    TempDir t;
};

} // namespace

TEST_F(CatalogTree, WalkListsArchivesByNameBeforeSubfoldersOnce) {
    WalkResult r = walkFolders({t / "files"}, {});
    EXPECT_EQ(names(r.archives), (std::vector<std::string>{"A.ZIP", "b.zip", "broken.zip", "caf\xE9.zip",
                                                           "renamed.bin", "with blank.zip"}));
    EXPECT_TRUE(r.problems.empty());

    WalkOptions o;
    o.recursive = true;
    o.skip = {t / "files/b.zip"};
    r = walkFolders({t / "files/"}, o);
    EXPECT_EQ(names(r.archives),
              (std::vector<std::string>{"A.ZIP", "broken.zip", "caf\xE9.zip", "renamed.bin", "with blank.zip",
                                        "sub/d.7z", "sub/deeper/C.zip"}));
    EXPECT_EQ(r.archives[0].path, t / "files/A.ZIP");
    EXPECT_EQ(r.archives[0].size, 6u);
    EXPECT_EQ(r.archives[1].format, "zip");
    EXPECT_EQ(r.archives[5].format, "7z");

    r = walkFolders({t / "files/sub/deeper/", t / "missing"}, {});
    EXPECT_EQ(names(r.archives), (std::vector<std::string>{t / "files/sub/deeper/C.zip"}));
    ASSERT_EQ(r.problems.size(), 1u);
    EXPECT_NE(r.problems[0].find("missing"), std::string::npos);
}

TEST_F(CatalogTree, WorkersKeepTheOrderAndTheCacheAnswersUnchangedArchives) {
    WalkOptions wo;
    wo.recursive = true;
    const auto archives = walkFolders({t / "files"}, wo).archives;
    FakeSource fake;
    SourceByFormat source;
    source.add("zip", &fake);
    RunOptions ro;
    ro.threads = 3;
    std::size_t lastDone = 0, calls = 0;
    ro.progress = [&](std::size_t done, std::size_t total) {
        EXPECT_EQ(total, archives.size());
        EXPECT_GE(done, lastDone);
        lastDone = done;
        ++calls;
    };
    RunResult r = runCatalog(archives, source, ro);
    ASSERT_EQ(r.entries.size(), archives.size());
    EXPECT_FALSE(r.stopped);
    EXPECT_EQ(lastDone, archives.size());
    EXPECT_GE(calls, 1u);
    EXPECT_GT(fake.threads_.size(), 1u);
    EXPECT_EQ(r.entries[0].finding.bytes, "ay");
    EXPECT_EQ(r.entries[1].finding.bytes, "bee");
    EXPECT_EQ(r.entries[2].finding.status, FindStatus::Damaged);
    EXPECT_EQ(r.entries[6].finding.status, FindStatus::Unsupported); // sub/d.7z: nobody reads 7z here
    EXPECT_EQ(r.entries[7].finding.bytes, "sea");

    const std::string cacheFile = t / "out.korvel-cache";
    ASSERT_TRUE(CatalogCache::save(cacheFile, source.signature(), r.entries));
    CatalogCache cache = CatalogCache::load(cacheFile, source.signature());
    EXPECT_EQ(cache.size(), archives.size() - 1); // the unsupported one is tried again next time
    EXPECT_EQ(CatalogCache::load(cacheFile, "other settings").size(), 0u);

    // Same size and time: the cache answers, even though the bytes changed; another size: looked up.
    auto changed = archives;
    writeFile(changed[0].path, "PK\x03\x04zz");
    changed[0].mtimeNs += 1;
    ro.cache = &cache;
    fake.calls_ = 0;
    r = runCatalog(archives, source, ro);
    EXPECT_EQ(r.fromCache, archives.size() - 1);
    EXPECT_EQ(fake.calls_, 0u);
    EXPECT_EQ(r.entries[0].finding.bytes, "ay");
    r = runCatalog(changed, source, ro);
    EXPECT_EQ(r.entries[0].finding.bytes, "zz");

    // A cache cut short, or not a cache at all, is ignored whole.
    const std::string whole = readFile(cacheFile);
    for (std::size_t cut : {whole.size() - 1, whole.size() / 2, std::size_t{3}}) {
        writeFile(cacheFile, whole.substr(0, cut));
        EXPECT_EQ(CatalogCache::load(cacheFile, source.signature()).size(), 0u) << cut;
    }
}

TEST_F(CatalogTree, AStoppedJobLeavesTheOldCatalogueAndNoTemporary) {
    const std::string out = t / "out/FILES.BBS";
    writeFile(out, "the old catalogue\r\n");
    ::chmod(out.c_str(), 0640);
    FakeSource fake;
    CatalogJob job;
    job.folders = {t / "files"};
    job.recursive = true;
    job.output = out;
    job.threads = 2;
    std::atomic<bool> stop{false};
    fake.stopAfter_ = 3;
    fake.stop_ = &stop;
    SourceByFormat source;
    source.add("zip", &fake);
    CatalogOutcome o = runCatalogJob(job, source, &stop);
    EXPECT_TRUE(o.stopped);
    EXPECT_FALSE(o.written);
    EXPECT_EQ(readFile(out), "the old catalogue\r\n");
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(t / "out"))
        left.push_back(e.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"FILES.BBS", "FILES.BBS.korvel-cache"}));
    const std::size_t doneBefore = CatalogCache::load(CatalogCache::fileFor(out), source.signature()).size();
    EXPECT_GE(doneBefore, 1u);

    // The next run takes up where the stopped one ended, and replaces the file whole.
    fake.stopAfter_ = 0;
    fake.calls_ = 0;
    stop = false;
    o = runCatalogJob(job, source, &stop);
    EXPECT_TRUE(o.written) << o.error;
    EXPECT_EQ(o.fromCache, doneBefore);
    EXPECT_EQ(fake.calls_, 8 - doneBefore - 1); // eight archives, the 7z one needs no source
    EXPECT_EQ(o.archives, 8u);
    EXPECT_EQ(o.described, 6u);
    EXPECT_EQ(o.failed, 2u);
    EXPECT_NE(readFile(out).find("sub/deeper/C.zip"), std::string::npos);
    struct stat st;
    ASSERT_EQ(::stat(out.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    // An output that cannot be written is reported, nothing else happens.
    job.output = t / "no such folder/FILES.BBS";
    o = runCatalogJob(job, source, &stop);
    EXPECT_FALSE(o.written);
    EXPECT_NE(o.error.find("No such file"), std::string::npos) << o.error;
}
