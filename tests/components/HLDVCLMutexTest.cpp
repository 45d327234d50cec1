#include "components/HLDVCLMutex.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <climits>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "helpers/ProbeProcess.h"
#include "helpers/Escaped.h"
#include "helpers/PrivateSession.h"
#include "platform/win32/CodePage.h"
#include "platform/win32/ProgramFile.h"
#include "runtime/HLDFunctions.h"
#include "runtime/HLDGlobalVars.h"

namespace {

using win32::Utf8ToAnsi;

std::string UniqueName(const std::string& stem) {
    return "quillan-test-" + stem + "-" + std::to_string(::getpid());
}


// The text the runtime gives a Win32 error code.
std::string Win32ErrorText(win32::DWORD code) {
    win32::SetLastError(code);
    try {
        CRaiseLastWin32APIError();
    } catch (const ECWin32APIError& e) {
        return e.Message();
    }
    return {};
}

bool MutexExists(const std::string& name) {
    win32::HANDLE h = win32::OpenMutexA(win32::SYNCHRONIZE, 0, name.c_str());
    if (h == nullptr) return false;
    win32::CloseHandle(h);
    return true;
}

// Records what a component reports.
struct Events {
    int successes = 0;
    std::vector<std::string> failures;  // "<class> <message>"
    std::vector<int> codes;

    void Watch(TCBasicMutex& m) {
        m.OnSuccess = [this](TComponent*) { ++successes; };
        m.OnFailure = [this](TComponent*, Exception& E) {
            failures.push_back(std::string(E.ClassName()) + " " + E.Message());
            if (auto* ec = dynamic_cast<ECException*>(&E)) codes.push_back(ec->Code);
        };
    }
};

class OwnerProbe : public TComponent {
public:
    using TComponent::TComponent;
    const char* ClassName() const noexcept override { return "TOwnerProbe"; }
};


// ---------------------------------------------------------------------------------------------
// TCBasicMutex

TEST(TCBasicMutex, OfTwoProcessesThatDoNotWaitTheSecondIsToldThatTheMutexExists) {
    const std::string name = UniqueName("exists");
    ProbeProcess other;
    EXPECT_EQ(other.Ask("acquire 0 " + name), "1 success");

    TCBasicMutex mine(nullptr);
    mine.SetMutexName(name);
    Events events;
    events.Watch(mine);
    EXPECT_FALSE(mine.Acquire());
    EXPECT_FALSE(mine.Opened());
    EXPECT_EQ(events.successes, 0);
    ASSERT_EQ(events.failures.size(), 1u);
    EXPECT_EQ(events.failures[0], "ECWin32APIError " + Win32ErrorText(win32::ERROR_ALREADY_EXISTS));
    EXPECT_EQ(events.codes, std::vector<int>{0});

    // Both ways round: now the probe is the second.
    EXPECT_EQ(other.Ask("drop"), "done");
    EXPECT_TRUE(mine.Acquire());
    EXPECT_EQ(events.successes, 1);
    EXPECT_EQ(other.Ask("acquire 0 " + name),
              "0 failure ECWin32APIError " + Escaped(Win32ErrorText(win32::ERROR_ALREADY_EXISTS)));
}

TEST(TCBasicMutex, AWaitingComponentTimesOutOrGetsTheMutexReleasedDuringItsWait) {
    const std::string timeoutAnswer =
        "0 failure ECBasicMutex_Timeout " + Utf8ToAnsi(kMutexTimeoutText);
    const struct {
        bool releaseDuringWait;
        std::string answer;
    } cases[] = {{false, timeoutAnswer}, {true, "1 success"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        const std::string name = UniqueName("wait");
        auto mine = std::make_unique<TCBasicMutex>(nullptr);
        mine->SetMutexName(name);
        ASSERT_TRUE(mine->Acquire());
        ProbeProcess other;
        const auto start = std::chrono::steady_clock::now();
        other.Send("acquire 2 " + name);
        if (c.releaseDuringWait) {
            EXPECT_EQ(other.Receive(300), "");
            mine.reset();
        }
        EXPECT_EQ(other.Receive(), c.answer);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("answer after %.2f s\n", seconds);
        if (!c.releaseDuringWait) {
            EXPECT_GE(seconds, 1.9);
        }
    }
}

TEST(TCBasicMutex, AWaiterGetsTheMutexOfAKilledHolderAndAKilledHolderBlocksNoLaterStart) {
    const std::string name = UniqueName("killed");
    ProbeProcess holder;
    EXPECT_EQ(holder.Ask("acquire 0 " + name), "1 success");
    const qint64 pid = holder.Pid();
    std::thread killer([pid] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        ::kill(static_cast<pid_t>(pid), SIGKILL);
    });
    {
        TCBasicMutex waiter(nullptr);
        waiter.SetMutexName(name);
        waiter.SetWaitInSeconds(-1);
        Events events;
        events.Watch(waiter);
        EXPECT_TRUE(waiter.Acquire());  // abandoned counts as obtained
        EXPECT_EQ(events.successes, 1);
        EXPECT_TRUE(events.failures.empty());
    }
    killer.join();

    ProbeProcess secondHolder;
    EXPECT_EQ(secondHolder.Ask("acquire 0 " + name), "1 success");
    secondHolder.Kill();
    TCBasicMutex next(nullptr);
    next.SetMutexName(name);
    EXPECT_TRUE(next.Acquire());
}

TEST(TCBasicMutex, WaitInSecondsTakesMinusOneTo4294967AndRefusesTheRest) {
    const std::string refusal = Utf8ToAnsi(kInvalidWaitTextHead) + "4294967" +
                                Utf8ToAnsi(kInvalidWaitTextTail);
    const struct {
        std::int32_t value;
        bool accepted;
    } cases[] = {{-1, true}, {0, true}, {4294967, true}, {-2, false}, {4294968, false},
                 {INT_MIN, false}, {INT_MAX, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        TCBasicMutex m(nullptr);
        m.SetWaitInSeconds(7);
        if (c.accepted) {
            m.SetWaitInSeconds(c.value);
            EXPECT_EQ(m.WaitInSeconds(), c.value);
            continue;
        }
        try {
            m.SetWaitInSeconds(c.value);
            ADD_FAILURE() << "accepted";
        } catch (const ECBasicMutex_InvalidWait& e) {
            EXPECT_EQ(e.Message(), refusal);
            EXPECT_EQ(e.Code, 0);
            EXPECT_TRUE(e.InheritsFrom(ECCCLError::StaticClass()));
        }
        EXPECT_EQ(m.WaitInSeconds(), 7);
    }
}

using TCBasicMutexNames = PrivateSessionTest;

TEST_F(TCBasicMutexNames, ABlankNameFallsBackToTheOwnersClassNameOrTheComponentsName) {
    for (win32::UINT codePage : {win32::CP_UTF8, win32::CP_SHIFT_JIS}) {
        win32::ScopedCodePage scopedCodePage(codePage);
        const std::string blank = Utf8ToAnsi("　");  // the full-width blank of the code page
        const struct {
            std::string mutexName;
            bool withOwner;
            std::string expected;
        } cases[] = {
            {"", true, "TOwnerProbe"},
            {" \t" + blank + " \r\n", true, "TOwnerProbe"},
            {blank + blank, false, "cmpLock"},
            {"", false, "cmpLock"},
            {" lock ", true, " lock "},
            {blank + "lock", false, blank + "lock"},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(codePage);
            SCOPED_TRACE(c.expected);
            OwnerProbe owner(nullptr);
            std::unique_ptr<TCBasicMutex> unowned;
            TCBasicMutex* m = c.withOwner
                                  ? new TCBasicMutex(&owner)  // owned by `owner`
                                  : (unowned = std::make_unique<TCBasicMutex>(nullptr)).get();
            m->SetName("cmpLock");
            m->SetMutexName(c.mutexName);
            EXPECT_TRUE(m->Acquire());
            EXPECT_TRUE(MutexExists(c.expected));
        }
    }
}

TEST(TCBasicMutex, AcquireWhileHoldingSucceedsWithoutAnotherEvent) {
    TCBasicMutex m(nullptr);
    m.SetMutexName(UniqueName("twice"));
    Events events;
    events.Watch(m);
    EXPECT_TRUE(m.Acquire());
    EXPECT_TRUE(m.Acquire());
    EXPECT_EQ(events.successes, 1);
    EXPECT_TRUE(events.failures.empty());
}

TEST(TCBasicMutex, OnlyADifferentNameOrTheEndOfTheComponentGivesUpTheMutex) {
    const std::string name = UniqueName("rename");
    const struct {
        std::string newName;
        bool stillHeld;
    } cases[] = {{name, true}, {name + "-other", false}, {name.substr(0, name.size() - 1), false}};
    ProbeProcess other;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.newName);
        {
            TCBasicMutex m(nullptr);
            m.SetMutexName(name);
            ASSERT_TRUE(m.Acquire());
            m.SetMutexName(c.newName);
            EXPECT_EQ(m.Opened(), c.stillHeld);
            EXPECT_EQ(m.MutexName(), c.newName);
            EXPECT_EQ(other.Ask("acquire 0 " + name).substr(0, 1), c.stillHeld ? "0" : "1");
            EXPECT_EQ(other.Ask("drop"), "done");
        }
        EXPECT_EQ(other.Ask("acquire 0 " + name).substr(0, 1), "1");
        EXPECT_EQ(other.Ask("drop"), "done");
    }
}

TEST(TCBasicMutex, HandlerErrorsOfTheLibraryFamilyAreReportedAndOthersPassOn) {
    // An error from OnSuccess goes to OnFailure, and the mutex is held all the same.
    TCBasicMutex m(nullptr);
    m.SetMutexName(UniqueName("handlers"));
    std::vector<std::string> failures;
    m.OnSuccess = [](TComponent*) { throw EConvertError("bad value"); };
    m.OnFailure = [&](TComponent*, Exception& E) { failures.push_back(E.Message()); };
    EXPECT_TRUE(m.Acquire());
    EXPECT_EQ(failures, std::vector<std::string>{"bad value"});

    // Errors of other kinds, and errors of OnFailure itself, reach the caller.
    TCBasicMutex n(nullptr);
    n.SetMutexName(UniqueName("handlers-2"));
    n.OnSuccess = [](TComponent*) { throw std::runtime_error("outside"); };
    EXPECT_THROW(n.Acquire(), std::runtime_error);
    EXPECT_TRUE(n.Opened());

    TCBasicMutex blocked(nullptr);
    blocked.SetMutexName(m.MutexName());
    blocked.OnFailure = [](TComponent*, Exception&) { throw EAbort("stop"); };
    EXPECT_THROW(blocked.Acquire(), EAbort);
    EXPECT_FALSE(blocked.Opened());
}

// ---------------------------------------------------------------------------------------------
// TCMutex

// A presenter that answers every presentation and remembers it.
class RecordingPresenter : public TCMessagePresenter {
public:
    struct Shown {
        std::string message;
        int style, optionA, optionC;
        std::uint8_t optionB;
        std::string title;
    };
    std::vector<Shown>* shown = nullptr;
    std::string ProgramTitle() override { return "T"; }
    int Show(const Exception& E) override {
        shown->push_back({E.Message(), Style, OptionA, OptionC, OptionB, Title});
        return 1;
    }
};

// Installs a recording presenter for one scope.
class ScopedPresenter {
public:
    explicit ScopedPresenter(std::vector<RecordingPresenter::Shown>& shown) {
        auto presenter = std::make_unique<RecordingPresenter>();
        presenter->shown = &shown;
        gMPObject = std::move(presenter);
    }
    ~ScopedPresenter() { gMPObject.reset(); }
    ScopedPresenter(const ScopedPresenter&) = delete;
    ScopedPresenter& operator=(const ScopedPresenter&) = delete;
};

// Runs the main loop until a quit request ends it, or briefly when none is pending.
bool QuitWasRequested() {
    QTimer fallback;
    fallback.setSingleShot(true);
    QObject::connect(&fallback, &QTimer::timeout, [] { QCoreApplication::exit(5); });
    fallback.start(200);
    return QCoreApplication::exec() == 0;
}

TEST(TCMutex, PresetsBothSwitchesUnlessReadFromAStoredForm) {
    const struct {
        bool withOwner, ownerDesigning, ownerLoading;
        bool presets;
    } cases[] = {
        {false, false, false, true},  // made by code without owner
        {true, false, false, true},   // made by code at run time
        {true, true, false, true},    // newly placed in the designer
        {true, true, true, false},    // read from the form in the designer
        {true, false, true, true},    // made while a form is read at run time: empty state
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.withOwner << c.ownerDesigning << c.ownerLoading);
        TComponent owner(nullptr);
        owner.SetDesigning(c.ownerDesigning);
        owner.SetStateFlag(TComponentStateFlag::csLoading, c.ownerLoading);
        std::unique_ptr<TCMutex> unowned;
        TCMutex* guard = c.withOwner ? new TCMutex(&owner)  // owned by `owner`
                                     : (unowned = std::make_unique<TCMutex>(nullptr)).get();
        EXPECT_EQ(guard->TerminateApplicationOnFailure, c.presets);
        EXPECT_EQ(guard->ShowFailureMessage, c.presets);
    }
}

TEST(TCMutex, StoredValuesReplaceThePresets) {
    TComponent form(nullptr);
    auto* guard = new TCMutex(&form);  // owned by the form
    ReadStoredForm(form, [&] {
        guard->ShowFailureMessage = false;
        guard->TerminateApplicationOnFailure = false;
    });
    EXPECT_FALSE(guard->ShowFailureMessage);
    EXPECT_FALSE(guard->TerminateApplicationOnFailure);
}

TEST(TCMutex, ReadingTheNameGivesTheStoredNameTheOwnersClassOrANameFromTheProgramPath) {
    const std::string longTail(300, 'x');
    const struct {
        std::string programPath;
        std::string stored;
        bool withOwner;
        std::string expected;
    } cases[] = {
        {"C:\\Work Tools\\Cabinet.exe", "", false, "WorkToolsabinet.exe"},
        {"\\\\server\\share\\Tools\\run.exe", "", false, "Toolun.x"},
        {"/opt/quillan bin/QUILLAN", "", false, "/opt/quillanbin/QUILLAN"},
        {"D:\\" + longTail + "\\y.exe", "", false, (longTail + "y.exe").substr(45)},
        {"C:\\Work\\Cabinet.exe", " ", true, "TOwnerProbe"},
        {"C:\\Work\\Cabinet.exe", "Shared", true, "Shared"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.programPath);
        win32::ScopedProgramFileName program(c.programPath);
        OwnerProbe owner(nullptr);
        std::unique_ptr<TCMutex> unowned;
        TCMutex* guard = c.withOwner ? new TCMutex(&owner)  // owned by `owner`
                                     : (unowned = std::make_unique<TCMutex>(nullptr)).get();
        guard->SetMutexName(c.stored);
        EXPECT_EQ(guard->MutexName(), c.expected);
        EXPECT_LE(guard->MutexName().size(), 260u);
    }
}

using TCMutexSession = PrivateSessionTest;

TEST_F(TCMutexSession, ABlankNamedGuardTakesTheMutexTCMutexWhateverItsNameReads) {
    win32::ScopedProgramFileName program("C:\\Work Tools\\Cabinet.exe");
    TCMutex guard(nullptr);
    int successes = 0;
    guard.OnSuccess = [&](TComponent* sender) {
        EXPECT_EQ(sender, &guard);
        ++successes;
    };
    EXPECT_TRUE(guard.Acquire());
    EXPECT_TRUE(guard.Acquire());
    EXPECT_EQ(successes, 2);
    EXPECT_EQ(guard.MutexName(), "WorkToolsabinet.exe");
    EXPECT_TRUE(MutexExists("TCMutex"));
    EXPECT_FALSE(MutexExists("WorkToolsabinet.exe"));

    // Another program with a blank-named guard cannot run meanwhile.
    ProbeProcess otherProgram;
    EXPECT_EQ(otherProgram.Ask("guard"), "0 failure");
}

TEST(TCMutex, AFailedGuardWarnsAsConfiguredAndAsksTheLoopToQuit) {
    const std::string running = "T" + Utf8ToAnsi(kAlreadyRunningText);
    const struct {
        bool terminate;
        std::string text;
    } cases[] = {
        {true, running + "\r" + Utf8ToAnsi(kNoSecondStartText)},
        {false, running},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string name = UniqueName("warn");
        win32::HANDLE holder = win32::CreateMutexA(nullptr, 1, name.c_str());
        std::vector<RecordingPresenter::Shown> shown;
        ScopedPresenter presenter(shown);
        TCMutex guard(nullptr);
        guard.SetMutexName(name);
        guard.TerminateApplicationOnFailure = c.terminate;
        std::vector<std::string> order;
        guard.OnSuccess = [&](TComponent*) { order.push_back("success"); };
        guard.OnFailure = [&](TComponent*) {
            order.push_back(shown.empty() ? "failure before warning" : "failure");
        };
        EXPECT_FALSE(guard.Acquire());
        EXPECT_EQ(order, std::vector<std::string>{"failure"});
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].message, c.text);
        EXPECT_EQ(shown[0].style, 48);
        EXPECT_EQ(shown[0].title, "T");
        EXPECT_EQ(shown[0].optionA, -1);
        EXPECT_EQ(shown[0].optionB, 0);
        EXPECT_EQ(shown[0].optionC, 0);
        EXPECT_EQ(QuitWasRequested(), c.terminate);
        win32::CloseHandle(holder);
    }
}

TEST(TCMutex, WithoutAPresenterTheWarningEndsInTheIncompleteCodeError) {
    std::string expected;
    try {
        CExceptionMsg(std::make_unique<ECWarning>("x", 0), -1, 0, 0, 0, "");
    } catch (const ECIncompleteCode& e) {
        expected = e.Message();
    }
    ASSERT_FALSE(expected.empty());

    const std::string name = UniqueName("nopresenter");
    win32::HANDLE holder = win32::CreateMutexA(nullptr, 1, name.c_str());
    TCMutex guard(nullptr);
    guard.SetMutexName(name);
    bool failed = false;
    guard.OnFailure = [&](TComponent*) { failed = true; };
    try {
        guard.Acquire();
        ADD_FAILURE() << "no error";
    } catch (const ECIncompleteCode& e) {
        EXPECT_EQ(e.Message(), expected);
    }
    EXPECT_FALSE(failed);
    EXPECT_FALSE(QuitWasRequested());
    win32::CloseHandle(holder);
}

}  // namespace
