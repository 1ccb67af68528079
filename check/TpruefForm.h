#pragma once

#include <QList>
#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;
class QVBoxLayout;

// One point of the system check, in the examiner's words.
struct CheckLine {
    enum Verdict { Ok, Note, Problem };
    Verdict verdict;
    QString text;

    // "… : in Ordnung", "… : Hinweis", "… : Problem".
    QString report() const;
};

// "Tamri Systemprüfung": checks, on a PC before the first subject, what the test relies on,
// with the test's own layers, full screen on the screen the test takes, and reports each point.
// It writes no file; the desktop is given back at every way out, as after the test.
class TpruefForm : public QWidget {
public:
    explicit TpruefForm(QWidget *parent = nullptr);
    ~TpruefForm() override;

    // Runs every check in turn and shows the report; returns once it is complete.
    void runChecks();
    const QList<CheckLine> &lines() const { return checkLines; }
    // The whole report as plain text, as "Kopieren" puts it on the clipboard.
    QString reportText() const;

    // The points that tests drive on their own.
    static CheckLine screens();
    static CheckLine font(const QString &family);
    static CheckLine clock();

    QPushButton *kopierenButton;
    QPushButton *schliessenButton;

protected:
    void keyReleaseEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void add(const CheckLine &line);
    CheckLine devicePixels();
    CheckLine taskbars();
    CheckLine front();
    CheckLine pointer();
    CheckLine displayKeptOn();
    static CheckLine printing();
    static CheckLine versions();
    void giveDesktopBack();

    QVBoxLayout *reportLayout;
    QList<CheckLine> checkLines;
    QRect sampleCell;
};
