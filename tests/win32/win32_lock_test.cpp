// The history's lock on Windows against the real system (under Wine in the
// build): another holder makes a launcher wait a bounded time and then report,
// never hang. Every attempt runs on a thread of its own, so a wait without an
// end fails the test instead of hanging the suite.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "launcher/History.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Handle.h"
#include "platform/win32/Win32Text.h"
#include "win32/TestDirectory.h"

namespace pivora {
namespace {

using std::chrono::milliseconds;

// Bounds every wait of these tests; only a failure ever reaches it.
constexpr DWORD kDeadlineMs = 60000;
// An attempt this patient ends only when the holder lets go, or by a failure.
constexpr milliseconds kForever = std::chrono::hours(1);
constexpr milliseconds kImpatient{50};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Work on a thread of its own. Its outcome is what it returned, or the text
// of what it threw with the kind of failure before it.
class Attempt {
public:
    struct Job {
        std::function<std::string(Job&)> work;
        std::unique_ptr<FileLock> kept;  // a lock the work took, held while the attempt lives
        std::string outcome;
    };

    explicit Attempt(std::function<std::string(Job&)> work) : job_(new Job{std::move(work), nullptr, {}}) {
        thread_.reset(::CreateThread(nullptr, 0, &Run, job_, 0, nullptr));
    }
    Attempt(const Attempt&) = delete;
    Attempt& operator=(const Attempt&) = delete;
    ~Attempt() {
        // A thread that never ended may still use its job: that is left to
        // the end of the process.
        if (EndsInTime()) delete job_;
    }

    bool EndsInTime() { return thread_ && ::WaitForSingleObject(thread_.get(), kDeadlineMs) == WAIT_OBJECT_0; }
    bool Ended() const { return thread_ && ::WaitForSingleObject(thread_.get(), 0) == WAIT_OBJECT_0; }
    std::string Outcome() const { return Ended() ? job_->outcome : "(still waiting)"; }

private:
    static DWORD WINAPI Run(void* p) {
        Job& job = *static_cast<Job*>(p);
        try {
            job.outcome = job.work(job);
        } catch (const FileInUse& e) {
            job.outcome = std::string("in use: ") + e.what();
        } catch (const FileError& e) {
            job.outcome = std::string("error: ") + e.what();
        } catch (const std::exception& e) {
            job.outcome = std::string("unexpected: ") + e.what();
        }
        return 0;
    }

    Job* job_;
    UniqueKernelHandle thread_;
};

Attempt LockAttempt(Win32Files& files, const std::string& lockPath) {
    return Attempt([&files, lockPath](Attempt::Job& job) {
        job.kept = files.LockExclusive(lockPath);
        return std::string("locked");
    });
}

void WaitUntil(const std::function<bool()>& condition) {
    const DWORD start = ::GetTickCount();
    while (!condition() && ::GetTickCount() - start < kDeadlineMs) ::Sleep(1);
}

// Another program's hold on the lock file, through a handle of its own: the
// system tells handles apart even within one process.
class Holder {
public:
    // Holds the lock's byte, as another launcher does while it saves.
    static Holder OfTheLock(const std::string& lockPath) {
        Holder h(lockPath, kShareAll);
        OVERLAPPED at{};
        if (h.file_ && !::LockFileEx(h.file_.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at))
            h.file_.reset();
        return h;
    }
    // Has the file open sharing nothing, as a tool that copies or scans it may.
    static Holder OfTheFile(const std::string& lockPath) { return Holder(lockPath, 0); }

    bool Holds() const { return static_cast<bool>(file_); }
    void LetGo() { file_.reset(); }  // closing the handle releases its lock too

private:
    Holder(const std::string& lockPath, DWORD share)
        : file_(::CreateFileA(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    UniqueFile file_;
};

// A directory of its own under the system's temporary directory. Its name
// comes from the first process of the run, so a death test's child, which
// runs the test again from its start, finds the same one.
class Win32Lock : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        ASSERT_GT(::GetTempPathA(MAX_PATH, temp), 0u);
        char run[32] = "";
        if (::GetEnvironmentVariableA("PIVORA_LOCK_TEST_RUN", run, sizeof run) == 0) {
            std::snprintf(run, sizeof run, "%lu", static_cast<unsigned long>(::GetCurrentProcessId()));
            ::SetEnvironmentVariableA("PIVORA_LOCK_TEST_RUN", run);
        }
        dir_ = std::string(temp) + "pivora-lock-" + run + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + "\\";
        for (char& c : dir_)
            if (c == '/') c = '-';  // a parameterised test's name
        ASSERT_TRUE(::CreateDirectoryA(dir_.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS);
        lockPath_ = dir_ + "Pivora.dat.lock";
    }
    void TearDown() override { RemoveTestDirectory(dir_); }
    std::string InUse(const std::string& path) const {
        return "in use: ファイル [" + Utf8FromAnsi(path) + "] は他のプログラムが使用中です。";
    }

    std::string dir_;
    std::string lockPath_;
};

// Whoever holds the lock file, the lock or the file itself, a launcher waits
// for it as long as its patience lasts, and no longer.
struct HolderKind {
    const char* name;
    Holder (*hold)(const std::string& lockPath);
};
// Names the holder where the test names its parameter, rather than its bytes.
void PrintTo(const HolderKind& kind, std::ostream* out) { *out << kind.name; }

class Win32LockHeldElsewhere : public Win32Lock, public ::testing::WithParamInterface<HolderKind> {};

TEST_P(Win32LockHeldElsewhere, EndsTheWaitWithAReportNotAHang) {
    Holder other = GetParam().hold(lockPath_);
    ASSERT_TRUE(other.Holds());
    Win32Files impatient(kImpatient);
    Attempt attempt = LockAttempt(impatient, lockPath_);
    const bool ended = attempt.EndsInTime();
    other.LetGo();  // frees an attempt that would wait for ever
    EXPECT_TRUE(ended) << "waited for ever";
    EXPECT_EQ(attempt.Outcome(), InUse(lockPath_));
}

TEST_P(Win32LockHeldElsewhere, IsTakenOnceLetGoWhileWaitedFor) {
    Holder other = GetParam().hold(lockPath_);
    ASSERT_TRUE(other.Holds());
    Win32Files patient(kForever);
    Attempt attempt = LockAttempt(patient, lockPath_);
    // Let go only once the attempt has found it held and waits (or has
    // ended without waiting, which fails the test).
    WaitUntil([&] { return patient.LockWaits() > 0 || attempt.Ended(); });
    const bool waited = patient.LockWaits() > 0;
    other.LetGo();
    EXPECT_TRUE(waited) << "never found it held";
    ASSERT_TRUE(attempt.EndsInTime()) << "still waiting after it was let go";
    EXPECT_EQ(attempt.Outcome(), "locked");
    EXPECT_FALSE(Holder::OfTheLock(lockPath_).Holds()) << "taken, yet another can take it too";
}

INSTANTIATE_TEST_SUITE_P(Holders, Win32LockHeldElsewhere,
                         ::testing::Values(HolderKind{"TheLock", &Holder::OfTheLock},
                                           HolderKind{"TheFileSharingNothing", &Holder::OfTheFile}),
                         [](const ::testing::TestParamInfo<HolderKind>& info) { return std::string(info.param.name); });

TEST_F(Win32Lock, WhatWaitingCannotMendIsReportedAtOnce) {
    Win32Files patient(kForever);
    ASSERT_TRUE(::CreateDirectoryA(lockPath_.c_str(), nullptr));
    const std::string missingFolder = dir_ + "no\\such\\Pivora.dat.lock";
    for (const std::string& path : {lockPath_, missingFolder}) {
        Attempt attempt = LockAttempt(patient, path);
        ASSERT_TRUE(attempt.EndsInTime()) << "waited on " << path;
        const std::string what = attempt.Outcome();
        const std::string head = "error: ファイル [" + Utf8FromAnsi(path) + "] を開けません。\n";
        EXPECT_EQ(what.rfind(head, 0), 0u) << what;
        EXPECT_GT(what.size(), head.size()) << "no reason given";
    }
    EXPECT_EQ(patient.LockWaits(), 0);
}

// Deleted while another launcher has it open, the file refuses every open on
// Windows until that one closes it; then a new one is made.
TEST_F(Win32Lock, ALockFileDeletedWhileHeldOpenIsWaitedFor) {
    Holder other = Holder::OfTheLock(lockPath_);
    ASSERT_TRUE(other.Holds());
    ASSERT_TRUE(::DeleteFileA(lockPath_.c_str()));
    const UniqueFile probe(::CreateFileA(lockPath_.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
    if (probe || ::GetLastError() != ERROR_ACCESS_DENIED)
        GTEST_SKIP() << "this system opens, or no longer finds, a deleted file another still has open";
    Win32Files patient(kForever);
    Attempt attempt = LockAttempt(patient, lockPath_);
    WaitUntil([&] { return patient.LockWaits() > 0 || attempt.Ended(); });
    const bool waited = patient.LockWaits() > 0;
    other.LetGo();
    EXPECT_TRUE(waited) << "never found it held";
    ASSERT_TRUE(attempt.EndsInTime()) << "still waiting after it was let go";
    EXPECT_EQ(attempt.Outcome(), "locked");
    EXPECT_TRUE(patient.FileExists(lockPath_));
}

// However a process ends, the system lets go of what it held: here it ends
// holding the lock, without a word.
TEST_F(Win32Lock, TheLockOfAProcessThatEndsHoldingItIsLetGoByTheSystem) {
    EXPECT_EXIT(
        {
            Win32Files files(kImpatient);
            const auto lock = files.LockExclusive(lockPath_);
            ::TerminateProcess(::GetCurrentProcess(), 7);
        },
        ::testing::ExitedWithCode(7), "");
    Win32Files patient(kForever);
    Attempt attempt = LockAttempt(patient, lockPath_);
    ASSERT_TRUE(attempt.EndsInTime()) << "the lock outlived its process";
    EXPECT_EQ(attempt.Outcome(), "locked");
}

// The lock file is the launcher's own device: a lock held elsewhere, or one
// that cannot be taken, is reported as the history file, and nothing is lost.
TEST_F(Win32Lock, TheHistoryNamesItsOwnFileWhenItsLockIsHeldOrCannotBeTaken) {
    const std::string dat = dir_ + "Pivora.dat";
    const std::string before = "2026/01/02 03:04:01 - 04 C:\\p\\a.dpr\r\n";
    Win32Files impatient(kImpatient);
    impatient.WriteFileAtomic(dat, before);
    auto save = [&dat](Win32Files& files) {
        return Attempt([&files, dat](Attempt::Job&) {
            THistoryList history(files, dat, [](std::string_view a, std::string_view b) { return a.compare(b); }, 10);
            history.LoadHistory();
            history.AddHistory("C:\\p\\b.dpr", 3, {2026, 1, 2, 3, 4, 5});
            return std::string("saved");
        });
    };
    {
        Holder other = Holder::OfTheLock(dat + ".lock");
        ASSERT_TRUE(other.Holds());
        Attempt attempt = save(impatient);
        const bool ended = attempt.EndsInTime();
        other.LetGo();
        EXPECT_TRUE(ended) << "waited for ever";
        EXPECT_EQ(attempt.Outcome(), "in use: 履歴ファイル [" + Utf8FromAnsi(dat) +
                                         "] は他のプログラムが使用中です。\nしばらくしてからやり直して下さい。");
    }
    EXPECT_EQ(impatient.ReadFile(dat), before);
    // A folder in the lock file's place: the history cannot be written, for the system's reason.
    ASSERT_TRUE(::DeleteFileA((dat + ".lock").c_str()));
    ASSERT_TRUE(::CreateDirectoryA((dat + ".lock").c_str(), nullptr));
    Win32Files patient(kForever);
    Attempt attempt = save(patient);
    ASSERT_TRUE(attempt.EndsInTime()) << "waited on a folder";
    const std::string what = attempt.Outcome();
    const std::string head = "error: ファイル [" + Utf8FromAnsi(dat) + "] に書き込めません。\n";
    EXPECT_EQ(what.rfind(head, 0), 0u) << what;
    EXPECT_GT(what.size(), head.size()) << "the reason is lost";
    EXPECT_EQ(what.find(".lock"), std::string::npos) << what;
    EXPECT_EQ(impatient.ReadFile(dat), before);
}

}  // namespace
}  // namespace pivora
