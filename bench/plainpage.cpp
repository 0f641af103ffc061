// The yardstick of the whole-program benchmark: the least a Qt program can do to show what
// Warblet's window shows. A window of Warblet's size holds a tab control with five tabs; the
// first holds a plain text box with the text of the first file given, shown at once, and once
// that has been painted the other tabs get plain boxes with the texts of the other files. Alt+1
// to Alt+5 show the tabs. With --empty the window holds nothing at all.
#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QTabWidget>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <vector>

namespace {

QString ReadText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "warblet_plain_page: cannot read %s\n", qPrintable(path));
        std::exit(2);
    }
    return QString::fromUtf8(file.readAll());
}

QPlainTextEdit* PlainBox(const QString& text) {
    auto* box = new QPlainTextEdit;
    box->setReadOnly(true);
    box->setPlainText(text);
    box->moveCursor(QTextCursor::End);  // the program shows the end of its timeline
    return box;
}

// Calls then once the window's first exposure has been handled, that is painted.
class AfterFirstPaint : public QObject {
  public:
    AfterFirstPaint(QWindow* window, std::function<void()> then)
        : QObject(window), mThen(std::move(then)) {
        window->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* window = static_cast<QWindow*>(watched);
        if (event->type() == QEvent::Expose && window->isExposed()) {
            window->removeEventFilter(this);
            QTimer::singleShot(0, this, mThen);
        }
        return false;
    }

  private:
    std::function<void()> mThen;
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.value(0) == QStringLiteral("--empty")) {
        QWidget window;
        window.resize(372, 513);
        window.show();
        return app.exec();
    }
    QTabWidget window;
    window.resize(372, 513);
    const QStringList captions = {"Timeline", "Mentions", "DirectMessages", "Lists", "Search"};
    window.addTab(PlainBox(arguments.isEmpty() ? QString() : ReadText(arguments[0])), captions[0]);
    for (int tab = 1; tab < captions.size(); ++tab) {
        auto* page = new QWidget;
        window.addTab(page, captions[tab]);
    }
    for (int tab = 0; tab < captions.size(); ++tab) {
        auto* key = new QShortcut(QKeySequence(Qt::ALT | Qt::Key(Qt::Key_1 + tab)), &window);
        QObject::connect(key, &QShortcut::activated, &window,
                         [&window, tab] { window.setCurrentIndex(tab); });
    }
    window.show();
    new AfterFirstPaint(window.windowHandle(), [&window, &arguments] {
        for (int tab = 1; tab < window.count() && tab < arguments.size(); ++tab) {
            const QString caption = window.tabText(tab);
            delete window.widget(tab);
            window.insertTab(tab, PlainBox(ReadText(arguments[tab])), caption);
        }
        window.setCurrentIndex(0);
    });
    return app.exec();
}
