#include "effects/Catalogue.h"

#include "app/Editor.h"

Catalogue::Catalogue(Editor& editor) : editor_(editor)
{
    (void)editor_;
}

void Catalogue::fill()
{
}

void Catalogue::computeCatalogueVersion()
{
}

bool Catalogue::selectEntry(int /*index*/)
{
    return false;
}

void Catalogue::GetResourceFile()
{
}

void Catalogue::effetto_cliccato()
{
}

void Catalogue::OpenEffectWindow()
{
}

void Catalogue::move_up_or_down(int /*key*/)
{
}
