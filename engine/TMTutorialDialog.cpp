#include "engine/TMTutorialDialog.h"

#include "engine/XmlConfig.h"

void TMTutorialDialog::MouseUpXY(int /*x*/, int /*y*/)
{
    if (mClickHide)
        Hide();
}

void TMTutorialDialog::Load(pugi::xml_node node)
{
    TMDialog::Load(node);
    mClickHide = false;
    XmlGetAttrBool(node, "clickhide", mClickHide);
}
