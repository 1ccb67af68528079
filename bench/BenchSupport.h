#pragma once

#include "common/Application.h"
#include "common/MessageBoxes.h"
#include "task/TamriUnit.h"

#include <QApplication>
#include <QPushButton>

// A fresh program on the desktop `os` and a 1920 x 1080 screen, started as the program
// entry starts it.
inline void startFreshProgram(platform::Os &os)
{
    delete TamriUnit::tamriForm;
    TamriUnit::resetState();
    common::screenSizeOverride = QSize(1920, 1080);
    TamriUnit::startProgram(os);
    QApplication::processEvents();
}

// Answers the message box that is open, if any, with "OK".
inline bool answerOpenBox()
{
    auto *box = qobject_cast<common::OkBox *>(QApplication::activeModalWidget());
    if (box)
        box->okButton->click();
    return box != nullptr;
}
