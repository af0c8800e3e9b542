// Build-time tool: turns the help text (HTML) into "Velmora Help.pdf", with
// pictures drawn by the program itself from the images in IMAGES.
// Usage: velmora_help_pdf <help.html> <IMAGES> <output.pdf>
#include <QApplication>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <QUrl>
#include <cstdio>

#include "app/help_pictures.h"

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: velmora_help_pdf <help.html> <images folder> <output.pdf>\n");
        return 2;
    }
    QApplication app(argc, argv);
    QFile source(QString::fromLocal8Bit(argv[1]));
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "velmora_help_pdf: cannot read %s\n", argv[1]);
        return 1;
    }
    const std::vector<velmora::HelpPicture> pictures =
        velmora::MakeHelpPictures(QString::fromLocal8Bit(argv[2]));
    if (pictures.empty()) {
        std::fprintf(stderr, "velmora_help_pdf: cannot load the images in %s\n", argv[2]);
        return 1;
    }
    QTextDocument document;
    for (const velmora::HelpPicture& p : pictures)
        document.addResource(QTextDocument::ImageResource, QUrl(p.name), p.image);
    document.setHtml(QString::fromUtf8(source.readAll()));

    const QString output = QString::fromLocal8Bit(argv[3]);
    {
        QPdfWriter writer(output);
        writer.setTitle("Velmora Help");
        writer.setCreator("Velmora");
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
        document.print(&writer);
    }
    if (QFile(output).size() <= 0) {
        std::fprintf(stderr, "velmora_help_pdf: could not write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
