#pragma once

// Small label databases in the gLabels and LibreOffice formats, written by the tests that read
// them. Line numbers matter: tests check that problems name them.
#include <QDir>
#include <QFile>
#include <QString>

namespace productfiles {

inline const char GlabelsPaperSizes[] = R"(<?xml version="1.0"?>
<Glabels-paper-sizes>
  <Paper-size id="A4" _name="A4" width="210mm" height="297mm"/>
  <Paper-size id="US-Letter" _name="US Letter" width="8.5in" height="11in"/>
</Glabels-paper-sizes>
)";

inline const char GlabelsTemplates[] = R"(<?xml version="1.0"?>
<Glabels-templates>
  <Template brand="Testmaker" part="T-3x12" size="A4" _description="60 x 20 mm labels">
    <Meta category="label"/>
    <Label-rectangle id="0" width="60mm" height="20mm" round="1mm" x_waste="0mm" y_waste="0mm">
      <Markup-margin size="1mm"/>
      <Layout nx="3" ny="12" x0="12mm" y0="28.5mm" dx="62mm" dy="20mm"/>
    </Label-rectangle>
  </Template>
  <Template brand="Testmaker" part="T-3x12B" equiv="T-3x12"/>
  <Template brand="Testmaker" part="T-INCH" size="US-Letter" description="Address labels">
    <Label-rectangle id="0" width="2.625in" height="1in" round="0.0625in">
      <Layout nx="3" ny="10" x0="0.1875in" y0="0.5in" dx="2.75in" dy="1in"/>
    </Label-rectangle>
  </Template>
  <Template brand="Testmaker" part="T-POINT" size="Other" width="612" height="792pt" _description="Points">
    <Label-rectangle id="0" width="144" height="72pt">
      <Layout nx="4" ny="10" x0="18pt" y0="0.25in" dx="144pt" dy="72"/>
    </Label-rectangle>
  </Template>
  <Template brand="Testmaker" part="T-ROUND" size="A4" _description="Round">
    <Label-round id="0" radius="20mm"><Layout nx="4" ny="6" x0="5mm" y0="5mm" dx="50mm" dy="48mm"/></Label-round>
  </Template>
  <Template brand="Testmaker" part="T-CD" size="A4" _description="CD">
    <Label-cd id="0" radius="58.5mm" hole="8.5mm"><Layout nx="1" ny="2" x0="46.5mm" y0="21.5mm" dx="117mm" dy="137mm"/></Label-cd>
  </Template>
  <Template brand="Testmaker" part="T-TWO" size="A4" _description="Two layouts">
    <Label-rectangle id="0" width="50mm" height="20mm">
      <Layout nx="1" ny="5" x0="10mm" y0="10mm" dx="50mm" dy="25mm"/>
      <Layout nx="1" ny="5" x0="100mm" y0="10mm" dx="50mm" dy="25mm"/>
    </Label-rectangle>
  </Template>
  <Template brand="Testmaker" part="T-WIDE" size="A4" _description="Too wide">
    <Label-rectangle id="0" width="70mm" height="20mm">
      <Layout nx="3" ny="1" x0="5mm" y0="10mm" dx="70mm" dy="20mm"/>
    </Label-rectangle>
  </Template>
  <Template brand="Testmaker" part="T-BAD" size="A4" _description="Typo">
    <Label-rectangle id="0" width="6O mm" height="20mm">
      <Layout nx="3" ny="1" x0="5mm" y0="10mm" dx="62mm" dy="20mm"/>
    </Label-rectangle>
  </Template>
  <Template brand="Testmaker" part="T-LOST" equiv="T-NONE"/>
  <Template brand="Othermaker" part="O-1" equiv="T-3x12"/>
  <Template brand="Testmaker" part="T-XX9" size="XX9" _description="Unknown paper">
    <Label-rectangle id="0" width="10mm" height="10mm">
      <Layout nx="1" ny="1" x0="0mm" y0="0mm" dx="10mm" dy="10mm"/>
    </Label-rectangle>
  </Template>
</Glabels-templates>
)";
// Where T-BAD's broken width stands.
inline constexpr int GlabelsBadWidthLine = 39;

inline const char LibreOfficeLabels[] = R"(<?xml version='1.0' encoding='UTF-8'?>
<manufacturers>
<manufacturer name="ヒサゴ">
    <label id="L0">
        <name>FSCGN863 宛名ラベル 12面</name>
        <measure>S;8640;4230;8640;4230;1860;2120;2;6;21000;29700</measure>
    </label>
    <label id="L1">
        <name>ROLL-1 ロール</name>
        <measure>C;4064;1270;3810;953;1270;0;5;1;22606;1270</measure>
    </label>
    <label id="L2">
        <name>BAD-1 Broken</name>
        <measure>S;9000;5500;90x0;5500;1500;700;2;5;21000;29700</measure>
    </label>
</manufacturer>
<manufacturer name="Sanwa">
    <label id="L0">
        <name>LB-EL44 Label A4 12pcs</name>
        <measure>S;9270;4230;9020;4230;1650;2000;2;6;21000;29700</measure>
    </label>
</manufacturer>
</manufacturers>
)";
inline constexpr int LibreOfficeBadMeasureLine = 14;

inline bool write(const QString& path, const char* text)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(text) == qint64(qstrlen(text));
}

// gLabels' folder (templates and paper sizes) and LibreOffice's file inside dir.
struct Databases {
    QString glabelsFolder;
    QString glabelsFile;
    QString libreOfficeFile;
};

inline Databases writeAll(const QString& dir)
{
    Databases d;
    d.glabelsFolder = dir + QStringLiteral("/glabels");
    QDir().mkpath(d.glabelsFolder);
    d.glabelsFile = d.glabelsFolder + QStringLiteral("/test-templates.xml");
    write(d.glabelsFolder + QStringLiteral("/paper-sizes.xml"), GlabelsPaperSizes);
    write(d.glabelsFile, GlabelsTemplates);
    d.libreOfficeFile = dir + QStringLiteral("/labels.xml");
    write(d.libreOfficeFile, LibreOfficeLabels);
    return d;
}

} // namespace productfiles
