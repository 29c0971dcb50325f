; Quillarix colour scheme
; Green-screen terminal for the nostalgic.
[Scheme]
Name=Green
Version=1

[Colours]
Page=000000
Text=00C000
SceneHeading=00FF00
Character=80FF80
Parenthetical=008000
Transition=008000
Selection=004000
SpellingError=FFFF00
Margin=004000
