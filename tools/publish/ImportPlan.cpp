#include "ImportPlan.h"

namespace {

QString count(qsizetype n, const char* one, const char* many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

} // namespace

QString ImportPlan::describe() const
{
    qsizetype added = 0;
    for (const Item& item : items)
        added += item.added ? 1 : 0;
    QString text = QStringLiteral("items: %1 added, %2 changed, %3 deleted, %4 unchanged\n")
                       .arg(added)
                       .arg(items.size() - added)
                       .arg(deleted.size())
                       .arg(unchangedItems);
    for (auto it = items.cbegin(); it != items.cend(); ++it) {
        if (it->added)
            text += QStringLiteral("  added %1\n").arg(it.key());
        else
            text += QStringLiteral("  changed %1: %2\n").arg(it.key()).arg(it->reasons.join(QStringLiteral(", ")));
    }
    for (const int id : deleted)
        text += QStringLiteral("  deleted %1\n").arg(id);

    qsizetype codeCount = 0;
    for (const auto& group : codes)
        codeCount += group.size();
    text += QStringLiteral("codes: %1 of %2\n")
                .arg(count(codeCount, "code", "codes"), count(codes.size(), "item", "items"));

    qsizetype pictureCount = 0;
    for (const QStringList& group : pictures)
        pictureCount += group.size();
    qsizetype replaced = 0;
    for (const PictureFile& file : pictureFiles)
        replaced += file.replaces ? 1 : 0;
    text += QStringLiteral("pictures: %1 of %2; picture files: %3 new, %4 replaced\n")
                .arg(count(pictureCount, "picture", "pictures"), count(pictures.size(), "item", "items"))
                .arg(pictureFiles.size() - replaced)
                .arg(replaced);
    for (auto it = pictureFiles.cbegin(); it != pictureFiles.cend(); ++it)
        text += QStringLiteral("  %1 picture %2\n").arg(QLatin1String(it->replaces ? "replaced" : "new"), it.key());
    return text;
}
