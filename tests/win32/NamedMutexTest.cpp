#include "platform/win32/NamedMutex.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "helpers/ProbeProcess.h"
#include "helpers/ScopedRuntimeDir.h"

using namespace win32;

namespace {

std::string UniqueName(const std::string& stem) {
    return "quillan-test-" + stem + "-" + std::to_string(::getpid());
}

// Runs `f` on a thread of its own and returns what it returned, with that thread's last error.
template <typename F>
auto OnOtherThread(F f) {
    std::pair<decltype(f()), DWORD> result{};
    std::thread([&] {
        result.first = f();
        result.second = GetLastError();
    }).join();
    return result;
}

// Closes a handle at the end of a scope.
struct Handle {
    HANDLE h;
    explicit Handle(HANDLE handle) : h(handle) {}
    ~Handle() {
        if (h != nullptr) CloseHandle(h);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
};

TEST(NamedMutex, CreateOwnsANewMutexAndAnotherProcessGetsItOnlyAfterTheRelease) {
    const std::string name = UniqueName("create");
    SetLastError(99);
    Handle mine(CreateMutexA(nullptr, 1, name.c_str()));
    ASSERT_NE(mine.h, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);

    ProbeProcess other;
    EXPECT_EQ(other.Ask("create " + name), "1 183");
    EXPECT_EQ(other.Ask("wait 0"), "258");
    EXPECT_EQ(other.Ask("wait 200"), "258");
    EXPECT_EQ(ReleaseMutex(mine.h), 1);
    EXPECT_EQ(other.Ask("wait 0"), "0");
    EXPECT_EQ(WaitForSingleObject(mine.h, 0), WAIT_TIMEOUT);
    EXPECT_EQ(other.Ask("release"), "1 0");
    EXPECT_EQ(WaitForSingleObject(mine.h, 0), WAIT_OBJECT_0);
    EXPECT_EQ(ReleaseMutex(mine.h), 1);
}

TEST(NamedMutex, AWaiterInAnotherProcessGetsTheMutexWhenItIsReleasedDuringTheWait) {
    const std::string name = UniqueName("handover");
    Handle mine(CreateMutexA(nullptr, 1, name.c_str()));
    ProbeProcess other;
    EXPECT_EQ(other.Ask("open " + name).substr(0, 1), "1");
    other.Send("wait 4294967295");
    EXPECT_EQ(other.Receive(300), "");  // still waiting
    EXPECT_EQ(ReleaseMutex(mine.h), 1);
    EXPECT_EQ(other.Receive(), "0");
}

TEST(NamedMutex, OpenFindsAMutexOnlyWhileSomeProcessHoldsAHandle) {
    const std::string name = UniqueName("open");
    EXPECT_EQ(OpenMutexA(SYNCHRONIZE, 1, name.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

    std::optional<ProbeProcess> creator(std::in_place);
    EXPECT_EQ(creator->Ask("create " + name), "1 0");
    Handle opened(OpenMutexA(SYNCHRONIZE, 1, name.c_str()));
    ASSERT_NE(opened.h, nullptr);
    creator.reset();  // the creator ends; our handle keeps the mutex alive

    Handle again(OpenMutexA(SYNCHRONIZE, 0, name.c_str()));
    EXPECT_NE(again.h, nullptr);
    CloseHandle(std::exchange(opened.h, nullptr));
    CloseHandle(std::exchange(again.h, nullptr));
    EXPECT_EQ(OpenMutexA(SYNCHRONIZE, 1, name.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(NamedMutex, OnlyTheOwningThreadMayReleaseAndItReleasesAsOftenAsItTookTheMutex) {
    const std::string name = UniqueName("owner");
    Handle mine(CreateMutexA(nullptr, 1, name.c_str()));
    Handle second(OpenMutexA(SYNCHRONIZE, 0, name.c_str()));
    EXPECT_EQ(WaitForSingleObject(second.h, 0), WAIT_OBJECT_0);  // the owner gets it again

    auto foreign = OnOtherThread([&] { return ReleaseMutex(mine.h); });
    EXPECT_EQ(foreign.first, 0);
    EXPECT_EQ(foreign.second, ERROR_NOT_OWNER);

    EXPECT_EQ(ReleaseMutex(mine.h), 1);
    EXPECT_EQ(OnOtherThread([&] { return WaitForSingleObject(second.h, 0); }).first, WAIT_TIMEOUT);
    EXPECT_EQ(ReleaseMutex(second.h), 1);
    EXPECT_EQ(ReleaseMutex(mine.h), 0);
    EXPECT_EQ(GetLastError(), ERROR_NOT_OWNER);

    auto taken = OnOtherThread([&] {
        const DWORD r = WaitForSingleObject(second.h, 0);
        ReleaseMutex(second.h);
        return r;
    });
    EXPECT_EQ(taken.first, WAIT_OBJECT_0);
}

TEST(NamedMutex, AnOwnerThreadThatEndsWithoutReleasingLeavesTheMutexAbandoned) {
    const std::string name = UniqueName("thread-end");
    Handle watcher(CreateMutexA(nullptr, 0, name.c_str()));
    ASSERT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_EQ(OnOtherThread([&] { return WaitForSingleObject(watcher.h, 0); }).first,
              WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(watcher.h, 0), WAIT_ABANDONED);
    EXPECT_EQ(ReleaseMutex(watcher.h), 1);
    EXPECT_EQ(WaitForSingleObject(watcher.h, 0), WAIT_OBJECT_0);  // a clean release is no news
    EXPECT_EQ(ReleaseMutex(watcher.h), 1);
}

TEST(NamedMutex, AKilledOwnerAbandonsTheMutexToAWaiterAndBlocksNoLaterCreate) {
    const std::string name = UniqueName("killed");
    {
        ProbeProcess owner;
        ProbeProcess waiter;
        EXPECT_EQ(owner.Ask("create " + name), "1 0");
        EXPECT_EQ(waiter.Ask("open " + name).substr(0, 1), "1");
        waiter.Send("wait 30000");
        owner.Kill();
        EXPECT_EQ(waiter.Receive(), "128");
        waiter.Kill();  // dies owning it, as the last holder
    }
    Handle fresh(CreateMutexA(nullptr, 1, name.c_str()));
    ASSERT_NE(fresh.h, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_EQ(ReleaseMutex(fresh.h), 1);
    // A new mutex, not the abandoned one of the killed processes.
    EXPECT_EQ(OnOtherThread([&] {
                  const DWORD r = WaitForSingleObject(fresh.h, 0);
                  ReleaseMutex(fresh.h);
                  return r;
              }).first,
              WAIT_OBJECT_0);
}

TEST(NamedMutex, NamesAreComparedExactlyWhateverBytesTheyHold) {
    const std::string base = UniqueName("names");
    const std::string longName = base + std::string(240 - base.size(), 'x');
    const struct {
        std::string a, b;
    } pairs[] = {
        {base + "a", base + "A"},
        {base + "/x", base + "%2Fx"},
        {base + " x", base + "x"},
        {base + "\x81\x40", base + "\x81"},
        {longName + "1", longName + "2"},
    };
    for (const auto& p : pairs) {
        SCOPED_TRACE(p.a);
        Handle a(CreateMutexA(nullptr, 1, p.a.c_str()));
        EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
        Handle b(CreateMutexA(nullptr, 1, p.b.c_str()));
        EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
        Handle a2(CreateMutexA(nullptr, 1, p.a.c_str()));
        EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    }
}

TEST(NamedMutex, RefusesWhatTheSystemRefuses) {
    const std::string tooLong(MAX_PATH + 1, 'n');
    const SECURITY_ATTRIBUTES withDescriptor{sizeof(SECURITY_ATTRIBUTES), 0x1000, 0};
    Handle holder(CreateMutexA(nullptr, 0, UniqueName("refuse").c_str()));
    Handle noSync(OpenMutexA(MUTEX_MODIFY_STATE, 0, UniqueName("refuse").c_str()));
    const struct {
        const char* what;
        std::function<bool()> call;
        DWORD error;
    } cases[] = {
        {"name too long", [&] { return CreateMutexA(nullptr, 1, tooLong.c_str()) == nullptr; }, 206},
        {"open name too long",
         [&] { return OpenMutexA(SYNCHRONIZE, 0, tooLong.c_str()) == nullptr; }, 206},
        {"security descriptor",
         [&] { return CreateMutexA(&withDescriptor, 1, "x") == nullptr; }, ERROR_INVALID_PARAMETER},
        {"open without name",
         [&] { return OpenMutexA(SYNCHRONIZE, 0, "") == nullptr; }, ERROR_INVALID_PARAMETER},
        {"wait without right",
         [&] { return WaitForSingleObject(noSync.h, 0) == WAIT_FAILED; }, ERROR_ACCESS_DENIED},
        {"wait on no handle",
         [&] { return WaitForSingleObject(nullptr, 0) == WAIT_FAILED; }, ERROR_INVALID_HANDLE},
        {"release no handle", [&] { return ReleaseMutex(nullptr) == 0; }, ERROR_INVALID_HANDLE},
        {"close no handle", [&] { return CloseHandle(nullptr) == 0; }, ERROR_INVALID_HANDLE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetLastError(0);
        EXPECT_TRUE(c.call());
        EXPECT_EQ(GetLastError(), c.error);
    }
}

TEST(NamedMutex, AMutexWithoutANameIsNeverFoundAgain) {
    for (const char* name : {static_cast<const char*>(nullptr), ""}) {
        Handle a(CreateMutexA(nullptr, 1, name));
        EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
        Handle b(CreateMutexA(nullptr, 0, name));
        EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
        EXPECT_EQ(OnOtherThread([&] { return WaitForSingleObject(b.h, 0); }).first, WAIT_OBJECT_0);
        EXPECT_EQ(OnOtherThread([&] { return WaitForSingleObject(a.h, 0); }).first, WAIT_TIMEOUT);
    }
}

TEST(NamedMutex, TheInheritFlagFollowsTheSecurityAttributes) {
    const std::string name = UniqueName("inherit");
    const SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), 0, -1};
    Handle withAttributes(CreateMutexA(&inheritable, 1, name.c_str()));
    Handle withoutAttributes(CreateMutexA(nullptr, 1, name.c_str()));
    Handle opened(OpenMutexA(SYNCHRONIZE, 1, name.c_str()));
    DWORD flags[3] = {7, 7, 7};
    EXPECT_EQ(GetHandleInformation(withAttributes.h, &flags[0]), 1);
    EXPECT_EQ(GetHandleInformation(withoutAttributes.h, &flags[1]), 1);
    EXPECT_EQ(GetHandleInformation(opened.h, &flags[2]), 1);
    EXPECT_EQ(flags[0], HANDLE_FLAG_INHERIT);
    EXPECT_EQ(flags[1], 0u);
    EXPECT_EQ(flags[2], HANDLE_FLAG_INHERIT);
}

TEST(NamedMutex, KeepsItsFilesInADirectoryOnlyTheUserCanEnterAndLeavesNothingBehind) {
    QTemporaryDir privateDir;
    QTemporaryDir openDir;
    ASSERT_EQ(::chmod(privateDir.path().toLocal8Bit().constData(), 0700), 0);
    ASSERT_EQ(::chmod(openDir.path().toLocal8Bit().constData(), 0777), 0);
    const QString fallback = QStringLiteral("/tmp/win32-mutex-%1").arg(::geteuid());
    const struct {
        std::optional<std::string> runtimeDir;
        QString expectedDir;
    } cases[] = {
        {privateDir.path().toStdString(), privateDir.path() + "/win32-mutex"},
        {openDir.path().toStdString(), fallback},
        {std::nullopt, fallback},
        {std::string("relative"), fallback},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expectedDir.toStdString());
        ScopedRuntimeDir runtimeDir(c.runtimeDir);
        const std::string name = UniqueName("dir");
        const QString file = c.expectedDir + "/m-" + QString::fromStdString(name);
        {
            Handle h(CreateMutexA(nullptr, 1, name.c_str()));
            ASSERT_NE(h.h, nullptr);
            EXPECT_TRUE(QFile::exists(file));
            struct stat st {};
            ASSERT_EQ(::stat(c.expectedDir.toLocal8Bit().constData(), &st), 0);
            EXPECT_EQ(st.st_mode & 0777, 0700u);
        }
        EXPECT_FALSE(QFile::exists(file));
    }
}

TEST(NamedMutex, WaitingSleepsInsteadOfSpinning) {
    const std::string name = UniqueName("sleep");
    Handle mine(CreateMutexA(nullptr, 1, name.c_str()));
    auto waited = OnOtherThread([&] {
        Handle other(OpenMutexA(SYNCHRONIZE, 0, name.c_str()));
        timespec start{}, end{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &start);
        const auto wallStart = std::chrono::steady_clock::now();
        const DWORD r = WaitForSingleObject(other.h, 500);
        const auto wall = std::chrono::steady_clock::now() - wallStart;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &end);
        const double cpu = double(end.tv_sec - start.tv_sec) + (end.tv_nsec - start.tv_nsec) / 1e9;
        const double ratio = cpu / std::chrono::duration<double>(wall).count();
        std::printf("waited %.3f s using %.4f s of processor time\n",
                    std::chrono::duration<double>(wall).count(), cpu);
        EXPECT_LT(ratio, 0.25);
        return r;
    });
    EXPECT_EQ(waited.first, WAIT_TIMEOUT);
}

}  // namespace
