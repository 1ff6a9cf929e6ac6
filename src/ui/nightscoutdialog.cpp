// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/nightscoutdialog.h"

#include "fetch/nightscoutapi.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>

namespace {

// The main window's texts.
struct WindowText
{
    Q_DECLARE_TR_FUNCTIONS(Mellidor)
};

enum Credential
{
    Token,
    Secret
};

} // namespace

namespace NightscoutDialog {

std::optional<NightscoutSettings> ask(QWidget *parent, const NightscoutSettings &stored)
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("Nightscout"));
    dialog.setWindowTitle(WindowText::tr("Nightscout"));
    auto *form = new QFormLayout(&dialog);
    auto *address = new QLineEdit(stored.url, &dialog);
    address->setPlaceholderText(QStringLiteral("https://example.herokuapp.com"));
    form->addRow(WindowText::tr("Site &address:"), address);
    auto *kind = new QComboBox(&dialog);
    kind->addItems({WindowText::tr("Access token"), WindowText::tr("API secret")});
    kind->setCurrentIndex(stored.secretHash.isEmpty() ? Token : Secret);
    auto *key = new QLineEdit(stored.token, &dialog);
    key->setEchoMode(QLineEdit::Password);
    key->setAccessibleName(WindowText::tr("Token or API secret"));
    // The secret itself was never kept: an empty field keeps its hash.
    const auto hint = [kind, key, &stored] {
        key->setPlaceholderText(kind->currentIndex() == Secret && !stored.secretHash.isEmpty()
                                    ? WindowText::tr("stored; type a new one to replace it")
                                    : QString());
    };
    hint();
    QObject::connect(kind, &QComboBox::currentIndexChanged, key, hint);
    auto *keyLine = new QHBoxLayout;
    keyLine->addWidget(kind);
    keyLine->addWidget(key, 1);
    form->addRow(WindowText::tr("Sign &in with:"), keyLine);
    static_cast<QLabel *>(form->labelForField(keyLine))->setBuddy(kind);
    auto *test = new QPushButton(WindowText::tr("Test"), &dialog);
    test->setAutoDefault(false);
    auto *answer = new QLabel(&dialog);
    answer->setTextFormat(Qt::PlainText);
    answer->setWordWrap(true);
    answer->setMinimumWidth(360);
    form->addRow(test, answer);
    auto *every =
        new QCheckBox(WindowText::tr("Fetch every 5 minutes while Mellidor is open"), &dialog);
    every->setChecked(stored.autoFetch);
    form->addRow(every);
    auto *daysBack = new QSpinBox(&dialog);
    daysBack->setRange(1, 36500);
    daysBack->setValue(stored.firstDaysBack);
    daysBack->setSuffix(WindowText::tr(" days back"));
    form->addRow(WindowText::tr("&First fetch, for a diary with nothing from the site yet:"),
                 daysBack);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);

    const auto entered = [&] {
        NightscoutSettings site = stored;
        site.url = address->text().trimmed();
        site.autoFetch = every->isChecked();
        site.firstDaysBack = daysBack->value();
        if (kind->currentIndex() == Token) {
            site.token = key->text().trimmed();
            site.secretHash.clear();
        } else {
            site.token.clear();
            if (!key->text().isEmpty())
                site.secretHash = NightscoutFile::secretHash(key->text().toUtf8());
        }
        return site;
    };
    const auto refusal = [](const NightscoutSettings &site) {
        return site.url.isEmpty() ? WindowText::tr("Enter the site's address first.")
                                  : addressRefusal(nightscoutSiteUrl(site.url));
    };
    QPointer<NightscoutStatusCheck> check;
    QObject::connect(test, &QPushButton::clicked, &dialog, [&] {
        const NightscoutSettings site = entered();
        delete check;
        if (const QString why = refusal(site); !why.isEmpty())
            return answer->setText(why);
        answer->setText(WindowText::tr("Asking the site..."));
        check = new NightscoutStatusCheck(site, {}, &dialog);
        QObject::connect(check, &NightscoutStatusCheck::failed, answer, &QLabel::setText);
        QObject::connect(check, &NightscoutStatusCheck::answered, answer,
                         [answer](const NightscoutStatus &status) {
                             answer->setText(
                                 WindowText::tr("The site answers: %1, Nightscout %2, glucose "
                                                "in %3.")
                                     .arg(status.name, status.version, status.units));
                         });
    });
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        // No address: no site. One that would be refused is said now.
        const NightscoutSettings site = entered();
        if (const QString why = refusal(site); !why.isEmpty() && !site.url.isEmpty())
            return answer->setText(why);
        dialog.accept();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return entered();
}

} // namespace NightscoutDialog
