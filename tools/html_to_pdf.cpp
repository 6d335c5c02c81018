// Renders one of the shipped HTML help pages into a PDF with the same name,
// for the documents the tool opens as PDF files:
//   html_to_pdf data/Help/UpdateDriver.html data/Help/UpdateDriver.pdf
#include <QFile>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <cstdio>

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: html_to_pdf IN.html OUT.pdf\n");
    return 2;
  }
  QFile in(QString::fromLocal8Bit(argv[1]));
  if (!in.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "html_to_pdf: cannot read %s\n", argv[1]);
    return 1;
  }
  QTextDocument doc;
  doc.setHtml(QString::fromUtf8(in.readAll()));
  QPdfWriter pdf(QString::fromLocal8Bit(argv[2]));
  pdf.setPageSize(QPageSize(QPageSize::A4));
  pdf.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
  pdf.setTitle(doc.metaInformation(QTextDocument::DocumentTitle));
  pdf.setCreator("ostrel");
  doc.print(&pdf);
  return 0;
}
