// A bare Qt dialog of 42 controls and nothing else: what bench_startup
// compares the program's start-up with.
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QDialog dialog;
    auto* grid = new QGridLayout(&dialog);
    for (int i = 0; i < 42; ++i) {
        QWidget* control = nullptr;
        switch (i % 5) {
        case 0: control = new QPushButton(QString("Button %1").arg(i)); break;
        case 1: control = new QLineEdit(QString::number(i)); break;
        case 2: control = new QLabel(QString("Label %1").arg(i)); break;
        case 3: control = new QCheckBox(QString("Check %1").arg(i)); break;
        default: control = new QListWidget; break;
        }
        grid->addWidget(control, i / 6, i % 6);
    }
    dialog.show();
    return dialog.exec();
}
