#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// Every text that the generator puts into a picture or rich text, in one language.
struct LanguageTexts
{
    QString suffix; // "TR", "EN", "DE": the resource name suffix

    QString slogan;
    QString sloganSub;

    QString installTitle;
    QStringList stepTitles; // six fitting steps
    QStringList stepTexts;
    QString safetyNote;
    QString pageOf; // "%1 / %2" style page marker text, e.g. "Page"

    QString codeTitle;
    QString codeIntro;
    QStringList codeParts; // labels of VK, 1, R, 3042, P
    QString familiesTitle;
    QString sectionTitle;
    QStringList partNames; // bead plate, bellows, piston, bumper, air inlet, studs, bolt, bead
    QString sectionNote;
    QStringList mountingSymbols; // legend of the item page: combination, stud, air inlet, bolt or stud

    QString introTitle;
    QStringList introHeadings;
    QStringList introTexts;
    QString factsTitle;
    QStringList facts;
    QString rangeTitle;
    QStringList familyNames; // the eight product families
    QStringList familyTexts;
};

// Turkish, English and German, in that order.
const QVector<LanguageTexts>& allLanguageTexts();
