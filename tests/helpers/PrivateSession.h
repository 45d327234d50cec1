#pragma once
// A fixture whose mutexes live in a directory of the test: mutexes named after a class (the
// owner's, or "TCMutex") are shared by every program of the session, so tests of them must not
// meet a QUILLAN the user runs meanwhile.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <optional>

#include "helpers/ScopedRuntimeDir.h"

class PrivateSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        runtimeDir_.emplace(dir_.path().toStdString());
    }
    void TearDown() override { runtimeDir_.reset(); }

private:
    QTemporaryDir dir_;
    std::optional<ScopedRuntimeDir> runtimeDir_;
};
