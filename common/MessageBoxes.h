#pragma once

#include "common/Application.h"

#include <QDialog>
#include <QString>

#include <optional>

class QLabel;
class QPushButton;

namespace common {

// A modal box with an optional icon at the top left, the text to its right, and one "OK"
// button centred below, which is both default and escape button. Lines in `text` are
// separated by a single carriage return; a line longer than half the screen width wraps at
// word boundaries. The outer frame is centred on the primary screen; with `top` given, only
// centred horizontally and placed with its top edge there.
class OkBox : public QDialog {
    Q_OBJECT

public:
    enum Icon { NoIcon, Information, Critical };

private:
    // Before the child widgets: creating them already sends events to the box.
    const Icon kind;
    const std::optional<int> requestedTop;
    FrameKeeper frameKeeper;

public:
    OkBox(Icon icon, const QString &caption, const QString &text, std::optional<int> top = std::nullopt);

    // Shows the box until it is closed, then gives the keyboard back to the window below,
    // also on a desktop without a window manager to hand it on.
    void run();

    Icon icon() const { return kind; }
    QString text() const;

    QLabel *const iconLabel;   // hidden without an icon
    QLabel *const textLabel;
    QPushButton *const okButton;

protected:
    void showEvent(QShowEvent *event) override;
    bool event(QEvent *event) override;

private:
    QRect wantedFrame() const;
};

// The information box: caption "Information", the information icon.
void showInformationBox(const QString &text, std::optional<int> top = std::nullopt);
// Caption: the application title, no icon.
void showPlainBox(const QString &text);
// The box an unhandled error in an event handler ends in: the message with a full stop.
void showErrorBox(const QString &message);

} // namespace common
