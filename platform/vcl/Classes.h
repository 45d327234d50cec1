#pragma once
// The component model: owners that destroy what they own, names, class names, the component
// state, Loaded() after a stored form was applied, and free notification.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum class TComponentStateFlag : std::uint16_t {
    csLoading = 1 << 0,
    csReading = 1 << 1,
    csWriting = 1 << 2,
    csDestroying = 1 << 3,
    csDesigning = 1 << 4,
    csAncestor = 1 << 5,
    csUpdating = 1 << 6,
    csFixups = 1 << 7,
    csFreeNotification = 1 << 8,
    csInline = 1 << 9,
    csDesignInstance = 1 << 10,
};

// A set of component state flags.
class TComponentState {
public:
    constexpr TComponentState() = default;
    constexpr bool Contains(TComponentStateFlag f) const noexcept {
        return (bits_ & static_cast<std::uint16_t>(f)) != 0;
    }
    constexpr bool Empty() const noexcept { return bits_ == 0; }
    constexpr void Include(TComponentStateFlag f) noexcept { bits_ |= static_cast<std::uint16_t>(f); }
    constexpr void Exclude(TComponentStateFlag f) noexcept {
        bits_ &= static_cast<std::uint16_t>(~static_cast<std::uint16_t>(f));
    }

private:
    std::uint16_t bits_ = 0;
};

enum class TOperation { opInsert, opRemove };

// Handler of (Sender); empty when unassigned.
class TComponent;
using TNotifyEvent = std::function<void(TComponent* Sender)>;

class TComponent {
public:
    explicit TComponent(TComponent* AOwner);
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    // The class name as the system reads it at run time.
    virtual const char* ClassName() const noexcept { return "TComponent"; }

    TComponent* Owner() const noexcept { return owner_; }
    const std::string& Name() const noexcept { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }

    TComponentState ComponentState() const noexcept { return state_; }

    // Owned components, in the order they were created.
    int ComponentCount() const noexcept { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const { return components_.at(static_cast<size_t>(index)); }
    TComponent* FindComponent(const std::string& name) const;

    // Runs once after the stored values of a form were applied; clears the loading flag.
    virtual void Loaded();

    // Asks to be told (Notification with opRemove) when `component` is destroyed.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    // Designer and stream support, as the form designer and the form reader use them.
    void SetDesigning(bool value, bool setChildren = true);
    void SetStateFlag(TComponentStateFlag flag, bool on);

protected:
    // Told when a component this one owns or watches is created (opInsert) or destroyed (opRemove).
    virtual void Notification(TComponent* AComponent, TOperation Operation);

private:
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);
    void RemoveNotification(TComponent* component);

    TComponent* owner_ = nullptr;
    std::string name_;
    TComponentState state_;
    std::vector<TComponent*> components_;       // owned; destroyed last first
    std::vector<TComponent*> freeNotifies_;     // components to tell when this one goes
};

// Applies the stored values of a form as the form reader does: every component of `root` (and
// `root` itself) gets the loading flag, `apply` sets the stored values, then Loaded() runs on each
// component in creation order and last on the root.
void ReadStoredForm(TComponent& root, const std::function<void()>& apply);
