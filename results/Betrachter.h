#pragma once

#include <QDialog>

// The results chart window.
class Tdatenbetrachter : public QDialog {
    Q_OBJECT

public:
    explicit Tdatenbetrachter(QWidget *parent = nullptr);
};
