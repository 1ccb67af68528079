#include "results/LatPraef.h"

TlpForm::TlpForm(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Durchschnittszeiten"));
}
