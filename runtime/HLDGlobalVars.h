#pragma once
// The library's global objects that an application may fill.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/vcl/SysUtils.h"

// An application's way of presenting an exception to the user (CExceptionMsg hands exceptions to
// it). The library sets the fields before each Show and relies on nothing else.
class TCMessagePresenter {
public:
    TCMessagePresenter() = default;
    virtual ~TCMessagePresenter();
    TCMessagePresenter(const TCMessagePresenter&) = delete;
    TCMessagePresenter& operator=(const TCMessagePresenter&) = delete;

    int Style = 0;  // 16 error, 48 warning
    std::uint8_t OptionB = 0;
    std::string Title;
    int OptionA = 0;
    int OptionC = 0;

    // The program's display name; the default title of a presentation.
    virtual std::string ProgramTitle() = 0;
    // Free for an application's own use; the library never calls it.
    virtual void Reserved();
    // Presents E; the result becomes CExceptionMsg's.
    virtual int Show(const Exception& E) = 0;
};

// The installed presenter, empty until an application assigns one. Assigning hands the presenter
// over: the library frees it at the end of the run.
extern std::unique_ptr<TCMessagePresenter> gMPObject;
