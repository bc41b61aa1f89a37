// vexal-artgen: draws every numbered picture of the table and writes NNN.gif files plus a .qrc.
#include <gif_lib.h>

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QSaveFile>
#include <QTextStream>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <utility>
#include <vector>

#include "assets/artgen/draw.h"

namespace {

// The numbers the client looks pictures up by; nothing more, nothing less may be generated.
const std::vector<std::pair<int, int>> kRanges = {{3, 31},    {35, 47},   {51, 63},   {130, 196}, {198, 210},
                                                  {212, 232}, {240, 259}, {280, 354}, {360, 362}, {450, 451},
                                                  {516, 519}, {521, 541}, {811, 815}, {817, 818}, {821, 828},
                                                  {831, 838}, {840, 841}, {850, 864}, {870, 877}};

std::set<int> expectedNumbers() {
    std::set<int> numbers;
    for (const auto& [first, last] : kRanges) {
        for (int n = first; n <= last; ++n) numbers.insert(n);
    }
    return numbers;
}

void fail(const QString& message) {
    std::fprintf(stderr, "vexal-artgen: %s\n", message.toLocal8Bit().constData());
    std::exit(1);
}

// Reads a written file back with the same library the client decodes with.
QString verify(const QString& path, const vexal::artgen::Picture& picture) {
    int error = 0;
    GifFileType* gif = DGifOpenFileName(QFile::encodeName(path).constData(), &error);
    if (!gif)
        return QStringLiteral("cannot reopen: %1").arg(QString::fromUtf8(GifErrorString(error)));
    QString problem;
    if (DGifSlurp(gif) == GIF_ERROR) {
        problem = QStringLiteral("unreadable: %1").arg(QString::fromUtf8(GifErrorString(gif->Error)));
    } else if (gif->ImageCount != static_cast<int>(picture.frames.size())) {
        problem =
            QStringLiteral("%1 frames read back, %2 written").arg(gif->ImageCount).arg(picture.frames.size());
    } else if (gif->SWidth != picture.frames.front().image.width() ||
               gif->SHeight != picture.frames.front().image.height()) {
        problem = QStringLiteral("size changed");
    }
    DGifCloseFile(gif, nullptr);
    return problem;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    QCommandLineOption outOption(QStringLiteral("out"), QStringLiteral("Directory for the NNN.gif files."),
                                 QStringLiteral("dir"));
    QCommandLineOption qrcOption(QStringLiteral("qrc"), QStringLiteral("Resource collection file to write."),
                                 QStringLiteral("file"));
    QCommandLineOption onlyOption(QStringLiteral("only"),
                                  QStringLiteral("Draw only these numbers (comma separated)."),
                                  QStringLiteral("numbers"));
    parser.addOptions({outOption, qrcOption, onlyOption});
    parser.process(app);
    if (!parser.isSet(outOption))
        fail(QStringLiteral("--out is required"));

    if (!QFontDatabase::families().contains(vexal::artgen::kFontFamily)) {
        fail(QStringLiteral("font \"%1\" is not installed (Debian package fonts-wqy-microhei)")
                 .arg(vexal::artgen::kFontFamily));
    }

    vexal::artgen::Catalogue catalogue;
    vexal::artgen::addCards(catalogue);
    vexal::artgen::addDeal(catalogue);
    vexal::artgen::addButtons(catalogue);
    vexal::artgen::addTable(catalogue);
    vexal::artgen::addAnimations(catalogue);
    vexal::artgen::addPortraits(catalogue);
    vexal::artgen::addVideo(catalogue);

    const std::set<int> expected = expectedNumbers();
    QStringList missing, extra;
    for (int n : expected) {
        if (!catalogue.count(n))
            missing << QString::number(n);
    }
    for (const auto& [n, unused] : catalogue) {
        if (!expected.count(n))
            extra << QString::number(n);
    }
    if (!missing.isEmpty() || !extra.isEmpty()) {
        fail(QStringLiteral("catalogue mismatch; missing: %1; not wanted: %2")
                 .arg(missing.join(','), extra.join(',')));
    }

    std::set<int> only;
    for (const QString& item : parser.value(onlyOption).split(',', Qt::SkipEmptyParts))
        only.insert(item.toInt());

    QDir out(parser.value(outOption));
    if (!out.mkpath(QStringLiteral(".")))
        fail(QStringLiteral("cannot create %1").arg(out.path()));
    if (only.empty()) {
        // Stale pictures from an older catalogue must not slip into the resources.
        for (const QString& name :
             out.entryList({QStringLiteral("*.gif"), QStringLiteral("*.part")}, QDir::Files))
            out.remove(name);
    }

    for (const auto& [number, draw] : catalogue) {
        if (!only.empty() && !only.count(number))
            continue;
        const vexal::artgen::Picture picture = draw();
        const QString path = out.filePath(QStringLiteral("%1.gif").arg(number));
        QString problem = vexal::artgen::writeGif(picture, path);
        if (problem.isEmpty())
            problem = verify(path, picture);
        if (!problem.isEmpty())
            fail(QStringLiteral("picture %1: %2").arg(number).arg(problem));
    }

    if (parser.isSet(qrcOption)) {
        QSaveFile qrc(parser.value(qrcOption));
        if (!qrc.open(QIODevice::WriteOnly | QIODevice::Text))
            fail(QStringLiteral("cannot write %1").arg(qrc.fileName()));
        QTextStream stream(&qrc);
        const QString base = QFileInfo(qrc.fileName()).absoluteDir().relativeFilePath(out.absolutePath());
        stream << "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n<qresource prefix=\"/gif\">\n";
        for (int n : expected)
            stream << "  <file alias=\"" << n << ".gif\">" << base << '/' << n << ".gif</file>\n";
        stream << "</qresource>\n</RCC>\n";
        stream.flush();
        if (!qrc.commit())
            fail(QStringLiteral("cannot write %1").arg(qrc.fileName()));
    }
    return 0;
}
