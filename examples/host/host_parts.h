// The two halves of the example host; each returns 0 when all went well and
// prints what it did.
#pragma once

int UseZavrel();
int UseZavrelCom();
