#include <gtest/gtest.h>

#include "platform/vcl/Classes.h"
#include "platform/vcl/SysUtils.h"

namespace {

class Probe : public TComponent {
public:
    using TComponent::TComponent;
    std::vector<TComponent*> removed;
    int loadedCalls = 0;
    bool loadingSeenInLoaded = false;
    void Loaded() override {
        ++loadedCalls;
        loadingSeenInLoaded = ComponentState().Contains(TComponentStateFlag::csLoading);
        TComponent::Loaded();
    }

protected:
    void Notification(TComponent* c, TOperation op) override {
        TComponent::Notification(c, op);
        if (op == TOperation::opRemove) removed.push_back(c);
    }
};

TEST(TComponent, OwnerDestroysWhatItOwnsAndChildrenMayGoFirst) {
    auto owner = std::make_unique<TComponent>(nullptr);
    auto* a = new TComponent(owner.get());
    new TComponent(owner.get());
    EXPECT_EQ(owner->ComponentCount(), 2);
    delete a;
    EXPECT_EQ(owner->ComponentCount(), 1);
    owner.reset();  // must not touch `a` again (ASan checks)
}

TEST(TComponent, FreeNotificationTellsTheWatcherOnce) {
    Probe watcher(nullptr);
    auto* watched = new TComponent(nullptr);
    watcher.FreeNotification(watched);
    delete watched;
    ASSERT_EQ(watcher.removed.size(), 1u);
    EXPECT_EQ(watcher.removed[0], watched);
}

TEST(TComponent, StoredFormRunsLoadedOnceWithTheLoadingFlagSet) {
    Probe root(nullptr);
    auto* child = new Probe(&root);
    bool loadingDuringApply = false;
    ReadStoredForm(root, [&] {
        loadingDuringApply = child->ComponentState().Contains(TComponentStateFlag::csLoading);
    });
    EXPECT_TRUE(loadingDuringApply);
    EXPECT_EQ(child->loadedCalls, 1);
    EXPECT_EQ(root.loadedCalls, 1);
    EXPECT_TRUE(child->loadingSeenInLoaded);
    EXPECT_TRUE(child->ComponentState().Empty());
    EXPECT_TRUE(root.ComponentState().Empty());
}

TEST(Exception, ClassReferencesKnowTheirAncestors) {
    EFOpenError e("x");
    EXPECT_STREQ(e.ClassName(), "EFOpenError");
    EXPECT_TRUE(e.InheritsFrom(EStreamError::StaticClass()));
    EXPECT_TRUE(e.InheritsFrom(Exception::StaticClass()));
    EXPECT_FALSE(e.InheritsFrom(EConvertError::StaticClass()));
}

}  // namespace
