#include "results/Betrachter.h"

Tdatenbetrachter::Tdatenbetrachter(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Datenbetrachter"));
}
