// The shared POSIX helpers: whole writes and reads over a pipe that signals keep interrupting
// (EINTR and short counts), and whole-file replacement that leaves the old file or the new one,
// never half of either and never a temporary.
#include "FileBytes.h"
#include "TempDir.h"
#include "posix_io.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using korvel::test::readFile;
using korvel::test::TempDir;
using korvel::test::writeFile;
namespace posix = korvel::posix;
namespace fs = std::filesystem;

namespace {

std::atomic<int> signalsTaken{0};
void onSignal(int) {
    signalsTaken.fetch_add(1);
}

// SIGUSR1 interrupts blocking calls (no SA_RESTART); a write to a closed pipe fails with EPIPE.
class Interrupting {
public:
    Interrupting() {
        struct sigaction sa {};
        sa.sa_handler = onSignal;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = 0;
        sigaction(SIGUSR1, &sa, &old_);
        signal(SIGPIPE, SIG_IGN);
    }
    ~Interrupting() { sigaction(SIGUSR1, &old_, nullptr); }

private:
    struct sigaction old_ {};
};

// A test name from a case's words.
template <typename Case> std::string caseName(const ::testing::TestParamInfo<Case>& info) {
    std::string n = info.param.name;
    for (char& ch : n)
        if (!std::isalnum(static_cast<unsigned char>(ch)))
            ch = '_';
    return n;
}

std::string pattern(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>('a' + (i * 7 + i / 251) % 26);
    return s;
}

struct PipeCase {
    const char* name;
    bool helperWrites;   // the helper writes (the test reads slowly), else the helper reads
    std::size_t total;   // bytes the helper is asked to move
    std::size_t offered; // bytes the other side moves before closing (reads: may be fewer)
    std::size_t piece;   // the other side's piece size
    ssize_t expected;    // what the helper answers: the count, or -1 for an error
    int expectedErrno;
};

const PipeCase kPipeCases[] = {
    {"write larger than the pipe, interrupted", true, 1 << 20, 1 << 20, 1000, 1 << 20, 0},
    {"read in short pieces, interrupted", false, 300000, 300000, 777, 300000, 0},
    {"read up to the end of the input", false, 5000, 3000, 512, 3000, 0},
    {"write to a pipe nobody reads", true, 100000, 10000, 4096, -1, EPIPE},
};

class PipeTransfer : public ::testing::TestWithParam<PipeCase> {};

TEST_P(PipeTransfer, MovesEveryByteThroughInterruptions) {
    const PipeCase& c = GetParam();
    Interrupting interrupting;
    signalsTaken = 0;
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ::fcntl(fds[1], F_SETPIPE_SZ, 4096); // the smallest pipe: writes block and come back short
    posix::Fd readEnd(fds[0]), writeEnd(fds[1]);
    const std::string data = pattern(std::max(c.total, c.offered));

    std::string got(c.total, '\0');
    ssize_t answer = 0;
    int answerErrno = 0;
    std::thread helper([&] {
        if (c.helperWrites) {
            answer =
                posix::writeFull(writeEnd.get(), data.data(), c.total) ? static_cast<ssize_t>(c.total) : -1;
            answerErrno = errno;
            writeEnd.close();
        } else {
            answer = posix::readFull(readEnd.get(), got.data(), c.total);
            answerErrno = errno;
        }
    });
    const pthread_t helperThread = helper.native_handle();

    // The other side, in pieces, with a signal at the helper before each.
    std::string seen;
    std::vector<char> piece(c.piece);
    for (std::size_t done = 0; done < c.offered;) {
        ::pthread_kill(helperThread, SIGUSR1);
        const std::size_t n = std::min(c.piece, c.offered - done);
        if (c.helperWrites) {
            const ssize_t r = ::read(readEnd.get(), piece.data(), n);
            if (r <= 0)
                break;
            seen.append(piece.data(), static_cast<std::size_t>(r));
            done += static_cast<std::size_t>(r);
        } else {
            if (!posix::writeFull(writeEnd.get(), data.data() + done, n))
                break; // the helper's answer tells what went wrong
            done += n;
        }
    }
    if (c.helperWrites)
        readEnd.close(); // nobody reads any more
    else
        writeEnd.close();
    helper.join();

    EXPECT_GT(signalsTaken.load(), 0);
    EXPECT_EQ(answer, c.expected);
    if (c.expected < 0) {
        EXPECT_EQ(answerErrno, c.expectedErrno);
    } else if (c.helperWrites) {
        EXPECT_TRUE(seen == data.substr(0, c.total)) << "bytes lost or out of order";
    } else {
        got.resize(static_cast<std::size_t>(answer));
        EXPECT_TRUE(got == data.substr(0, got.size())) << "bytes lost or out of order";
    }
}

INSTANTIATE_TEST_SUITE_P(Posix, PipeTransfer, ::testing::ValuesIn(kPipeCases), caseName<PipeCase>);

std::vector<std::string> entries(const fs::path& dir) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir))
        out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

enum class Stop { Never, BeforeCommit, AtRename };

struct ReplaceCase {
    const char* name;
    bool oldExists;
    mode_t oldMode;
    Stop stop;
    bool replaced;    // the new contents are in place afterwards
    mode_t finalMode; // of the target afterwards
};

const ReplaceCase kReplaceCases[] = {
    {"new file", false, 0, Stop::Never, true, 0640},
    {"old file replaced, its permissions kept", true, 0640, Stop::Never, true, 0640},
    {"read-only old file replaced", true, 0444, Stop::Never, true, 0444},
    {"abandoned before commit", true, 0600, Stop::BeforeCommit, false, 0600},
    {"rename refused", true, 0600, Stop::AtRename, false, 0600},
};

class Replace : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(Replace, LeavesTheOldFileOrTheNewOne) {
    const ReplaceCase& c = GetParam();
    TempDir t;
    const std::string target = t / "korvel.ini";
    if (c.oldExists) {
        writeFile(target, "old contents\n");
        ::chmod(target.c_str(), c.oldMode);
    }
    const std::string fresh = pattern(200000);
    {
        posix::AtomicReplace file(target);
        ASSERT_TRUE(file.create(c.oldExists ? posix::keptMode(target) : 0640));
        ASSERT_TRUE(file.write(fresh));
        EXPECT_EQ(readFile(target), c.oldExists ? "old contents\n" : "")
            << "the target changed before commit";
        if (c.stop == Stop::AtRename) {
            // A folder where the file's name must go: the rename fails.
            const std::string moved = target + ".kept";
            ASSERT_EQ(::rename(target.c_str(), moved.c_str()), 0);
            fs::create_directories(target + "/inside");
            EXPECT_FALSE(file.commit());
            EXPECT_EQ(errno, EISDIR);
            fs::remove_all(target);
            ASSERT_EQ(::rename(moved.c_str(), target.c_str()), 0);
        } else if (c.stop == Stop::Never) {
            ASSERT_TRUE(file.commit());
        }
    }
    EXPECT_EQ(readFile(target), c.replaced ? fresh : "old contents\n");
    struct stat st;
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, c.finalMode);
    EXPECT_EQ(entries(t.path()), std::vector<std::string>{"korvel.ini"}) << "a temporary was left";
}

INSTANTIATE_TEST_SUITE_P(Posix, Replace, ::testing::ValuesIn(kReplaceCases), caseName<ReplaceCase>);

// A folder nobody may create files in: the whole-file write says so, by path and reason.
TEST(Posix, ReplaceInAFolderNotWritableSaysWhy) {
    TempDir t;
    std::string folder = t / "locked";
    fs::create_directories(folder);
    ::chmod(folder.c_str(), 0555);
    if (::geteuid() == 0) {
        // Permissions do not stop root; the kernel's own folders do.
        folder = "/sys/kernel";
        if (::access(folder.c_str(), F_OK) != 0)
            GTEST_SKIP() << "no folder here refuses new files to root";
    }
    const std::string target = folder + "/korvel.ini";
    std::string error;
    EXPECT_FALSE(posix::replaceFile(target, "new", 0644, &error));
    EXPECT_EQ(error.rfind(target + ": ", 0), 0u) << error;
    EXPECT_NE(error.find(std::strerror(EACCES)), std::string::npos) << error;
    EXPECT_NE(::access(target.c_str(), F_OK), 0);
    ::chmod((t / "locked").c_str(), 0755);
}

} // namespace
