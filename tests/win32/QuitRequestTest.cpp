#include "platform/win32/QuitRequest.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>
#include <QTimer>
#include <thread>

using win32::PostQuitMessage;

namespace {

TEST(QuitRequest, EndsTheMainLoopWithTheCodeWhetherPostedBeforeOrWhileItRuns) {
    PostQuitMessage(4);
    EXPECT_EQ(QCoreApplication::exec(), 4);

    QTimer::singleShot(0, [] { PostQuitMessage(7); });
    EXPECT_EQ(QCoreApplication::exec(), 7);
}

TEST(QuitRequest, EndsOnlyTheLoopOfTheCallingThread) {
    class Worker : public QThread {
    public:
        int result = -100;

    protected:
        void run() override {
            QTimer::singleShot(0, [] { PostQuitMessage(9); });
            result = exec();
        }
    } worker;
    worker.start();
    ASSERT_TRUE(worker.wait(30000));
    EXPECT_EQ(worker.result, 9);

    // The main loop did not get the request: it ends only with its own.
    QTimer::singleShot(0, [] { PostQuitMessage(2); });
    EXPECT_EQ(QCoreApplication::exec(), 2);
}

TEST(QuitRequest, DoesNothingOnAThreadWithoutAnEventQueue) {
    std::thread([] { PostQuitMessage(0); }).join();
    QTimer::singleShot(0, [] { PostQuitMessage(3); });
    EXPECT_EQ(QCoreApplication::exec(), 3);
}

}  // namespace
