// Document strings of the document tests' templates.
#pragma once

#define IDR_NOTE_TEMPLATE 4100      // every field of the document string
#define IDR_PLAIN_TEMPLATE 4101     // only a document name, no file type
