// Resource ids of the Quillarix application.
#pragma once
#define IDI_APP 1
