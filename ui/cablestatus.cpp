// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/cablestatus.h"

#include <QLabel>
#include <QStatusBar>

CableStatus::CableStatus(QStatusBar *statusBar) : label(new QLabel(statusBar))
{
    label->setObjectName(QStringLiteral("label_cable"));
    label->hide();
    statusBar->addPermanentWidget(label);
}

void CableStatus::show(const QString &hint)
{
    label->setText(hint);
    label->setVisible(!hint.isEmpty());
}
