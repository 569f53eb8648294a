// The pictures of the rows of the accounting lists, drawn here: a wallet for
// an account, two arrows for an operation, a coin for a currency.
#pragma once

#include <QIcon>

namespace krav::app {

QIcon AccountIcon();
QIcon OperationIcon();
QIcon CurrencyIcon();

}  // namespace krav::app
