#pragma once
// Resource and control ids of the property pages, shared by their dialog
// templates (Pages.rc, through the resource compiler's preprocessor, hence
// macros) and their code. A field's id is PZ_FIRST_FIELD plus the place of its
// property in the page's group (PropertiesOf).

#define PZ_GENERAL_PAGE 200
#define PZ_COMMANDS_PAGE 201

#define PZ_FIRST_FIELD 1000
#define PZ_FORE_SWATCH 1100
#define PZ_BACK_SWATCH 1101
#define PZ_FIRST_PREVIEW 1200
#define PZ_FIRST_BROWSE 1300
