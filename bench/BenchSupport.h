#pragma once

#include "common/Application.h"
#include "results/Betrachter.h"
#include "results/LatPraef.h"
#include "task/TamriUnit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

// A fresh program state on a 1920 x 1080 screen, its windows created as the program
// entry creates them, the start screen shown.
inline void startFreshProgram()
{
    using namespace TamriUnit;
    delete tamriForm;
    resetState();
    common::screenSizeOverride = QSize(1920, 1080);
    tamriForm = new TtamriForm;
    lpForm = new TlpForm(tamriForm);
    datenbetrachter = new Tdatenbetrachter(tamriForm);
    tamriForm->show();
    QApplication::processEvents();
}

// Answers the message box that is open, if any, with "OK".
inline bool answerOpenBox()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (box)
        box->button(QMessageBox::Ok)->click();
    return box != nullptr;
}
