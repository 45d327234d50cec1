#pragma once
// Shows the hourglass while a data component works, when it asks for one and a GUI runs.

#include "platform/data/FieldTypes.h"

namespace data {

class BusyCursor {
public:
    explicit BusyCursor(TCursor cursor);
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    bool active_ = false;
};

}  // namespace data
