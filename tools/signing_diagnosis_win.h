#pragma once
// The "signing" part of --diagnose: which key providers this system offers
// and whether each can make a throw-away key and sign with it.
#include "tools/json_writer.h"

namespace markomi {

// "signing":{"providers":[{"name":"CNG"|"CryptoAPI","provider":…,"opens":…,
// "certificate":…,"signature":…,"detail":…},…]}. The throw-away certificate
// goes into the user's personal store for the trial, as a user's own would,
// and is removed with its key container right after.
void put_signing(JsonWriter& w);

}  // namespace markomi
