#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <chrono>
#include <memory>
#include <thread>

#include "helpers/ProbeProcess.h"
#include "helpers/PrivateSession.h"
#include "platform/win32/NamedMutex.h"

namespace {

// The test looks for the running program's mutex in the same place as the program does.
bool ProgramMutexExists() {
    win32::HANDLE h = win32::OpenMutexA(win32::SYNCHRONIZE, 0, "TCMutex");
    if (h == nullptr) return false;
    win32::CloseHandle(h);  // at once: a handle of ours would keep the mutex alive
    return true;
}

bool WaitForProgramMutex() {
    for (int i = 0; i < 600; ++i) {
        if (ProgramMutexExists()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

std::unique_ptr<QProcess> StartProgram() {
    auto program = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    program->setProcessEnvironment(env);
    program->start(QStringLiteral(QUILLAN_EXE), {});
    EXPECT_TRUE(program->waitForStarted(30000));
    return program;
}

void Stop(QProcess& program) {
    program.kill();
    program.waitForFinished(30000);
}

// Both programs keep their mutex in a directory of this test, so that a QUILLAN the user runs
// meanwhile changes nothing.
class QUILLAN : public PrivateSessionTest {};

TEST_F(QUILLAN, ASecondStartEndsSilentlyWithExitCodeZeroWhileTheFirstRunsOn) {
    auto first = StartProgram();
    ASSERT_TRUE(WaitForProgramMutex());

    auto second = StartProgram();
    ASSERT_TRUE(second->waitForFinished(30000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_TRUE(second->readAllStandardOutput().isEmpty());
    EXPECT_TRUE(second->readAllStandardError().isEmpty());
    EXPECT_EQ(first->state(), QProcess::Running);

    // However the first one ended, the next start runs.
    Stop(*first);
    auto third = StartProgram();
    EXPECT_TRUE(WaitForProgramMutex());
    EXPECT_FALSE(third->waitForFinished(300));
    EXPECT_EQ(third->state(), QProcess::Running);
    Stop(*third);
}

TEST_F(QUILLAN, DoesNotStartWhileAnotherProgramHoldsABlankNamedGuard) {
    ProbeProcess otherProgram;
    ASSERT_EQ(otherProgram.Ask("guard"), "1 success");
    auto program = StartProgram();
    ASSERT_TRUE(program->waitForFinished(30000));
    EXPECT_EQ(program->exitCode(), 0);

    EXPECT_EQ(otherProgram.Ask("drop"), "done");
    auto next = StartProgram();
    EXPECT_TRUE(WaitForProgramMutex());
    EXPECT_EQ(next->state(), QProcess::Running);
    Stop(*next);
}

}  // namespace
