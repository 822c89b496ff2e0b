#include "app/MainWindow.h"
#include "app/QtPrompts.h"
#include "shell/ProgramFiles.h"
#include "shell/Settings.h"

#include <QApplication>
#include <QSettings>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const auto store = tabrivel::OpenUserStore();
    tabrivel::Settings settings(*store);
    tabrivel::QtPrompts prompts;
    tabrivel::MainWindow window(
        {prompts, settings, tabrivel::SystemRandom(), tabrivel::ProgramFolder()});
    prompts.setParentWindow(&window);
    window.CentreOnScreen();
    window.show();
    return app.exec();
}
