#pragma once
// A presenter as an application would install it, remembering what it was asked to show.

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "runtime/HLDGlobalVars.h"

struct Presentation {
    std::string className;
    std::string message;
    int style;
    std::uint8_t optionB;
    std::string title;
    int optionA;
    int optionC;
};

class RecordingPresenter : public TCMessagePresenter {
public:
    std::string ProgramTitle() override { return "QUILLAN"; }
    int Show(const Exception& E) override {
        shown.push_back({E.ClassName(), E.Message(), Style, OptionB, Title, OptionA, OptionC});
        if (failOnShow) throw std::runtime_error("presenter failed");
        return answer;
    }

    std::vector<Presentation> shown;
    int answer = 6;
    bool failOnShow = false;
};

// Installs a RecordingPresenter in gMPObject for the lifetime of the object.
class InstalledPresenter {
public:
    InstalledPresenter() {
        auto owned = std::make_unique<RecordingPresenter>();
        presenter = owned.get();
        gMPObject = std::move(owned);
    }
    ~InstalledPresenter() { gMPObject.reset(); }
    InstalledPresenter(const InstalledPresenter&) = delete;
    InstalledPresenter& operator=(const InstalledPresenter&) = delete;

    RecordingPresenter* presenter;
};
