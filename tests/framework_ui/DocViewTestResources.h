// Document strings and the form of the document/view tests.
#pragma once

#define IDR_SKETCH_TEMPLATE 4300
#define IDD_SKETCH_FORM 4310
#define IDC_SKETCH_NAME 4311
#define IDC_SKETCH_APPLY 4312
