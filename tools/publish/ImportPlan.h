#pragma once

#include "MasterState.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariantHash>

// What an import changes in the master catalog and the picture folder, once everything has been checked. Every item
// named here is stamped with the import's time, so that the next feed carries exactly these changes.
struct ImportPlan
{
    struct Item
    {
        bool added = false;
        // The item's columns as they are to be written (ID and UPDATE_TIME aside); empty when only its stamp moves
        // (its codes, its pictures or a picture file it shows changed).
        QVariantHash row;
        QStringList reasons; // changed columns, "codes", "pictures", "picture NAME"
    };
    struct PictureFile
    {
        QString source;
        bool replaces = false; // a picture of that name is published already
    };

    QMap<int, Item> items;
    QMap<int, QList<MasterState::Code>> codes; // items whose codes are replaced, with their new codes
    QMap<int, QStringList> pictures;           // items whose pictures are replaced, with their new pictures
    QList<int> deleted;
    QMap<QString, PictureFile> pictureFiles; // by name
    int unchangedItems = 0;

    bool isEmpty() const { return items.isEmpty() && deleted.isEmpty() && pictureFiles.isEmpty(); }

    // What the import changes, for the maker: counts, then one line per item and picture file.
    QString describe() const;
};
