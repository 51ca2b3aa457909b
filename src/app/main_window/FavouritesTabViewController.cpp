#include "app/main_window/FavouritesTabViewController.h"

void FavouritesTabViewController::setup() {
    view();
    _setUp = true;
}

void FavouritesTabViewController::cleanup() {
    _setUp = false;
}
