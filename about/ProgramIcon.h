#pragma once
// The program's main icon (32 x 32 pixels, 32 bits per pixel): the window icon and the picture of
// the about box.

#include <QIcon>

QIcon ProgramIcon();
