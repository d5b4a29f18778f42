# The release date is fixed when the project is configured, as a day count
# since 1899-12-30 (the epoch of the date values the product information uses).
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(_epoch "$ENV{SOURCE_DATE_EPOCH}")
else()
  string(TIMESTAMP _epoch "%s" UTC)
endif()
math(EXPR NORVALIS_RELEASE_DAYS "${_epoch} / 86400 + 25569")
