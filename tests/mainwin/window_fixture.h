#pragma once
#include "../app/app_fixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTimer>

// The main window on cards with any fields, added as the program adds them.
class FindCopyTest : public AppTest {
protected:
    using Card = std::initializer_list<std::pair<store::FieldIndex, QString>>;
    void start(std::initializer_list<Card> list, const QByteArray& ts32Lines = QByteArray()) {
        preferences(ts32Lines);
        QList<store::Card> fields;
        for (const Card& card : list) {
            store::Card f;
            for (const auto& [field, value] : card) f[field] = value;
            fields << f;
        }
        cardFile(fields);
        ASSERT_TRUE(app::Main(context()));
    }
    QString panel(int i) { return main().StatBar->text(i); }
    QColor colour(int label) { return main().Label[label]->Colour(); }
};
