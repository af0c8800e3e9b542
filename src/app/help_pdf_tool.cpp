// Build-time tool: turns the help text (HTML) into "Velmora Help.pdf".
// Usage: velmora_help_pdf <help.html> <output.pdf>
#include <QFile>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: velmora_help_pdf <help.html> <output.pdf>\n");
        return 2;
    }
    QGuiApplication app(argc, argv);
    QFile source(QString::fromLocal8Bit(argv[1]));
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "velmora_help_pdf: cannot read %s\n", argv[1]);
        return 1;
    }
    QTextDocument document;
    document.setHtml(QString::fromUtf8(source.readAll()));

    const QString output = QString::fromLocal8Bit(argv[2]);
    {
        QPdfWriter writer(output);
        writer.setTitle("Velmora Help");
        writer.setCreator("Velmora");
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
        document.print(&writer);
    }
    if (QFile(output).size() <= 0) {
        std::fprintf(stderr, "velmora_help_pdf: could not write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
