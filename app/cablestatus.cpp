// SPDX-License-Identifier: GPL-3.0-or-later
#include "cablestatus.h"

#include "cablehint.h"
#include "link/cablesighting.h"

#include <QDebug>
#include <QLabel>
#include <QStatusBar>

CableStatus::CableStatus(QStatusBar *statusBar) : label(new QLabel(statusBar))
{
    label->setObjectName(QStringLiteral("label_cable"));
    label->hide();
    statusBar->addPermanentWidget(label);
}

void CableStatus::openFailed(const OpenFailure &failure)
{
    const CableSighting sighting = lookUpCable();
    const QString hint = CableHint::text(CableHint::advise(failure, sighting), failure, sighting);
    qDebug().noquote() << QStringLiteral("cable: %1; hint: %2").arg(sighting.summary(), hint);
    label->setText(hint);
    label->show();
}

void CableStatus::connected()
{
    label->clear();
    label->hide();
}
