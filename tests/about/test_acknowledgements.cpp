#include "about/acknowledgements.h"

#include <QSet>
#include <gtest/gtest.h>

namespace torvex {
namespace {

TEST(NamesAsSentenceEnd, JoinsWithCommasAndTheLastWithAnd) {
    EXPECT_EQ(namesAsSentenceEnd({}), QStringLiteral("."));
    EXPECT_EQ(namesAsSentenceEnd({QStringLiteral("Ada")}), QStringLiteral("Ada."));
    EXPECT_EQ(namesAsSentenceEnd({QStringLiteral("Ada"), QStringLiteral("Bo")}),
              QStringLiteral("Ada and Bo."));
    EXPECT_EQ(namesAsSentenceEnd(
                  {QStringLiteral("Ada"), QStringLiteral("Bo"), QStringLiteral("the Cats")}),
              QStringLiteral("Ada, Bo and the Cats."));
}

TEST(Acknowledgements, ThanksTwelveDistinctNamesInOneSentence) {
    const QStringList names = acknowledgedNames();
    ASSERT_EQ(names.size(), 12);
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), 12) << "a name is repeated";
    for (const QString& name : names) {
        EXPECT_FALSE(name.trimmed().isEmpty());
        EXPECT_EQ(name, name.trimmed());
        // Separators inside a name would make the list read wrongly.
        EXPECT_FALSE(name.contains(u',')) << name.toStdString();
        EXPECT_FALSE(name.contains(QStringLiteral(" and "))) << name.toStdString();
        EXPECT_FALSE(name.contains(u'.')) << name.toStdString();
    }

    const QString intro = QStringLiteral(
        "I would like to thank the following people for ideas, support and other things: ");
    const QString text = acknowledgementsText();
    ASSERT_TRUE(text.startsWith(intro));
    ASSERT_TRUE(text.endsWith(u'.'));
    EXPECT_EQ(text.count(u'.'), 1) << "one sentence, one full stop";

    // Reading the list back gives the names in their order.
    QString list = text.mid(intro.size());
    list.chop(1);
    const qsizetype lastAnd = list.lastIndexOf(QStringLiteral(" and "));
    ASSERT_GT(lastAnd, 0);
    QStringList readBack = list.left(lastAnd).split(QStringLiteral(", "));
    readBack.append(list.mid(lastAnd + 5));
    EXPECT_EQ(readBack, names);
}

} // namespace
} // namespace torvex
