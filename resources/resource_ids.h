/* String identifiers shared by every resource library and by GetResourceID.
   0 is reserved: GetResourceID answers it for a key it does not know. */
#ifndef TARVEX_RESOURCE_IDS_H
#define TARVEX_RESOURCE_IDS_H

#define IDS_PROGRAM_TITLE 1
#define IDS_MSG_BAD_TIME 2

#endif
