#pragma once

#include <QDialog>

// The lateral preference window.
class TlpForm : public QDialog {
    Q_OBJECT

public:
    explicit TlpForm(QWidget *parent = nullptr);
};
