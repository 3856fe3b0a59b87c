#include <QApplication>

#include "app/app_context_qt.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int code = 0;
    {
        tarnel::AppContext context;
        if (context.start()) code = app.exec();
        context.shutdown();
    }
    return code;
}
