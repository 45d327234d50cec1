#include "runtime/HLDGlobalVars.h"

TCMessagePresenter::~TCMessagePresenter() = default;

void TCMessagePresenter::Reserved() {}

constinit std::unique_ptr<TCMessagePresenter> gMPObject;
