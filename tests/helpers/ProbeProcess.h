#pragma once
// Drives tests/helpers/MutexProbe.cpp: a second process that answers one line per command.

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <string>

class ProbeProcess {
public:
    explicit ProbeProcess(const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QStringLiteral(MUTEX_PROBE_EXE), {});
        if (!process_.waitForStarted(30000)) ADD_FAILURE() << "the probe process did not start";
        EXPECT_EQ(Receive(), "ready");
    }
    ~ProbeProcess() {
        if (process_.state() == QProcess::NotRunning) return;
        process_.closeWriteChannel();
        if (!process_.waitForFinished(30000)) Kill();
    }
    ProbeProcess(const ProbeProcess&) = delete;
    ProbeProcess& operator=(const ProbeProcess&) = delete;

    void Send(const std::string& line) {
        process_.write((line + "\n").c_str());
        process_.waitForBytesWritten(30000);
    }
    // The next answer line; empty when none came within `timeoutMs`.
    std::string Receive(int timeoutMs = 30000) {
        while (!process_.canReadLine()) {
            if (!process_.waitForReadyRead(timeoutMs)) return {};
        }
        return process_.readLine().trimmed().toStdString();
    }
    std::string Ask(const std::string& line) {
        Send(line);
        return Receive();
    }
    qint64 Pid() const { return process_.processId(); }
    // Ends the process as a crash would: no destructor, no release.
    void Kill() {
        process_.kill();
        process_.waitForFinished(30000);
    }

private:
    QProcess process_;
};
